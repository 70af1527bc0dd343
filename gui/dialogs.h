#pragma once

// The standard message boxes of the program: a plain box with OK for results
// and most errors, a Yes/No confirmation with a question icon, an information
// box, and the error box for a failed file operation.

#include <QString>
#include <exception>

class QWidget;

namespace shenbao {

class IoError;

// Plain box, OK only.
void ShowMessage(QWidget* parent, const QString& text);

// Information box, OK only.
void ShowInformation(QWidget* parent, const QString& text);

// The button a confirmation box offers first (Enter presses it).
enum class Preset { Yes, No };

// Confirmation with a question icon; true only when the user answers Yes.
// Questions whose Yes throws something away offer No first.
bool AskYesNo(QWidget* parent, const QString& text, Preset preset = Preset::Yes);

// Error box for a failed file operation: names the file and the reason.
void ShowIoError(QWidget* parent, const IoError& error);

// The text ShowIoError shows, in Chinese where the reason is a common one.
// A long path is shortened in the middle.
QString IoErrorText(const IoError& error);

// The reason of a failed file operation as ShowIoError names it, in Chinese.
QString IoErrorReason(const IoError& error);

// Box for any other failure that ended a command: what went wrong; the
// program goes on.
void ShowException(QWidget* parent, const std::exception& error);
QString ExceptionText(const std::exception& error);

// `text` when it has at most `limit` characters, otherwise its beginning
// and end with "……" between them, `limit` characters in all. Every box
// shortens its lines so: a path or ID of megabytes would take minutes to
// lay out and could not be read anyway.
QString ShortenedText(const QString& text, int limit);

}  // namespace shenbao
