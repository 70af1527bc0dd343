#pragma once

// The standard message boxes of the program: a plain box with OK for results
// and most errors, a Yes/No confirmation with a question icon, an information
// box, and the error box for a failed file operation.

#include <QString>

class QWidget;

namespace shenbao {

class IoError;

// Plain box, OK only.
void ShowMessage(QWidget* parent, const QString& text);

// Information box, OK only.
void ShowInformation(QWidget* parent, const QString& text);

// Confirmation with a question icon; true only when the user answers Yes.
bool AskYesNo(QWidget* parent, const QString& text);

// Error box for a failed file operation: names the file and the reason.
void ShowIoError(QWidget* parent, const IoError& error);

// The text ShowIoError shows, in Chinese where the reason is a common one.
QString IoErrorText(const IoError& error);

}  // namespace shenbao
