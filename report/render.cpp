#include "report/render.h"

#include <QBuffer>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPen>
#include <QPrinter>
#include <algorithm>

namespace shenbao::report {

namespace {

constexpr double kMmPerInch = 25.4;

}  // namespace

void DrawPage(QPainter& painter, const ReportDocument& document, int index, double dpiX,
              double dpiY) {
    const ReportPage& page = document.pages.at(static_cast<std::size_t>(index));
    const auto x = [dpiX](double mm) { return mm * dpiX / kMmPerInch; };
    const auto y = [dpiY](double mm) { return mm * dpiY / kMmPerInch; };
    const auto box = [&](const QRectF& mm) {
        return QRectF(QPointF(x(mm.left()), y(mm.top())), QPointF(x(mm.right()), y(mm.bottom())));
    };

    painter.save();
    painter.setRenderHint(QPainter::TextAntialiasing);
    for (const PlacedBand& band : page.bands) {
        for (const PlacedField& field : band.fields) {
            const QRectF area = box(field.box);
            if (field.opaque) {
                painter.fillRect(area, Qt::white);
            }
            if (!field.picture.isNull() && !field.picture.boundingRect().isEmpty()) {
                // A picture plays at the device's resolution over its own,
                // so that factor is taken out of the scale to the box.
                const QRectF drawn = field.picture.boundingRect();
                const QPaintDevice& device = *painter.device();
                painter.save();
                painter.translate(area.topLeft());
                painter.scale(area.width() / drawn.width() * field.picture.logicalDpiX() /
                                  device.logicalDpiX(),
                              area.height() / drawn.height() * field.picture.logicalDpiY() /
                                  device.logicalDpiY());
                painter.drawPicture(-drawn.topLeft(), field.picture);
                painter.restore();
            }
            painter.setFont(field.font);
            painter.setPen(Qt::black);
            for (const TextLine& line : field.lines) {
                painter.drawText(QPointF(area.left() + x(line.x), area.top() + y(line.baseline)),
                                 line.text);
            }
        }
        const QRectF area = box(band.rect);
        QPen rule(Qt::black);
        rule.setWidthF(std::max(1.0, y(document.ruleWidth)));
        rule.setCapStyle(Qt::FlatCap);
        painter.setPen(rule);
        const double half = rule.widthF() / 2;
        if (band.ruleTop) {
            painter.drawLine(
                QLineF(area.left(), area.top() + half, area.right(), area.top() + half));
        }
        if (band.ruleBottom) {
            painter.drawLine(
                QLineF(area.left(), area.bottom() - half, area.right(), area.bottom() - half));
        }
        // Rules on the band's edges stand inside it, like those at top and
        // bottom.
        for (const double mm : band.columnRules) {
            const double at = std::clamp(x(mm), area.left() + half, area.right() - half);
            painter.drawLine(QLineF(at, area.top(), at, area.bottom()));
        }
        for (const PlacedField& field : band.fields) {
            if (field.frame) {
                painter.setBrush(Qt::NoBrush);
                painter.drawRect(box(field.box).adjusted(half, half, -half, -half));
            }
        }
    }
    painter.restore();
}

PageRenderer::PageRenderer(QPagedPaintDevice& device) : device_(device) {}

PageRenderer::~PageRenderer() {
    if (painter_ && painter_->isActive()) {
        painter_->end();
    }
}

bool PageRenderer::Begin(const PageSetup& page) {
    auto* printer = dynamic_cast<QPrinter*>(&device_);
    if (printer != nullptr) {
        printer->setFullPage(true);
    }
    device_.setPageLayout(page.deviceLayout());
    painter_ = std::make_unique<QPainter>();
    if (!painter_->begin(&device_)) {
        failed_ = true;
        return false;
    }
    dpiX_ = device_.logicalDpiX();
    dpiY_ = device_.logicalDpiY();
    // The painter starts at the printable area; the pages are drawn from the
    // sheet's corner.
    const QPageLayout actual = device_.pageLayout();
    const int resolution = device_.logicalDpiX();
    painter_->translate(-QPointF(actual.paintRectPixels(resolution).topLeft() -
                                 actual.fullRectPixels(resolution).topLeft()));
    return true;
}

bool PageRenderer::Draw(const ReportDocument& document, int index) {
    if (failed_) {
        return false;
    }
    if (!painter_ && !Begin(document.page)) {
        return false;
    }
    if (pages_ > 0 && !device_.newPage()) {
        failed_ = true;
        return false;
    }
    DrawPage(*painter_, document, index, dpiX_, dpiY_);
    ++pages_;
    return true;
}

bool PageRenderer::End(const PageSetup& page) {
    if (failed_) {
        Abort();
        return false;
    }
    if (!painter_ && !Begin(page)) {
        return false;
    }
    return painter_->end();
}

void PageRenderer::Abort() {
    failed_ = true;
    if (auto* printer = dynamic_cast<QPrinter*>(&device_)) {
        printer->abort();
    }
    if (painter_ && painter_->isActive()) {
        painter_->end();
    }
}

bool RenderDocument(const ReportDocument& document, QPagedPaintDevice& device,
                    const std::function<bool(int pagesDone)>& pageDone) {
    PageRenderer renderer(device);
    const int count = static_cast<int>(document.pages.size());
    for (int i = 0; i < count; ++i) {
        if (!renderer.Draw(document, i)) {
            renderer.Abort();
            return false;
        }
        if (pageDone && !pageDone(i + 1)) {
            renderer.Abort();
            return false;
        }
    }
    return renderer.End(document.page);
}

QImage RenderPageImage(const ReportDocument& document, int index, int dpi) {
    const QSizeF sheet = document.page.paperSize();
    QImage image(qRound(sheet.width() * dpi / kMmPerInch),
                 qRound(sheet.height() * dpi / kMmPerInch), QImage::Format_RGB32);
    const int dotsPerMeter = qRound(dpi * 1000.0 / kMmPerInch);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    DrawPage(painter, document, index, image.logicalDpiX(), image.logicalDpiY());
    return image;
}

QByteArray RenderPdf(const ReportDocument& document, const QString& title,
                     const std::function<bool(int pagesDone)>& pageDone) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    bool done = false;
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(kLayoutDpi);
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("澄川省科技计划项目申报系统"));
        done = RenderDocument(document, writer, pageDone);
    }
    return done ? buffer.data() : QByteArray();
}

}  // namespace shenbao::report
