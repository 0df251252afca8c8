// SPDX-License-Identifier: GPL-3.0-or-later
#include "render.h"

#include <QBuffer>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>

#include "graph.h"
#include "internal.h"

#include <algorithm>

namespace rt {

namespace {

Graph *FindGraph(int panel, int control)
{
    auto *c = detail::FindCtrl(panel, control);
    return c ? qobject_cast<Graph *>(c->widget.data()) : nullptr;
}

// Lines and text grow with the picture, so a large picture looks like the
// control on screen, only bigger; text sizes are points on the device.
void Paint(Graph *g, QPainter &p, const QRectF &target)
{
    const double base = std::max(1, std::min(g->width(), g->height()));
    const double scale = std::min(target.width(), target.height()) / base;
    const double dpi = p.device() ? p.device()->logicalDpiY() : 96;
    g->renderTo(p, target, std::max(1.0, scale), scale * g->logicalDpiY() / dpi);
}

}  // namespace

int RenderGraphCtrl(int panel, int control, QPainter &painter, const QRectF &target)
{
    Graph *g = FindGraph(panel, control);
    if (!g)
        return -1;
    Paint(g, painter, target);
    return 0;
}

int RenderGraphPicture(int panel, int control, const char *format, int width, int height,
                       std::string *bytes, std::string *error)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why.toStdString();
        return -1;
    };
    Graph *g = FindGraph(panel, control);
    if (!g)
        return fail(QStringLiteral("there is no graph to draw"));
    if (width < 16 || height < 16 || width > 8000 || height > 8000)
        return fail(QStringLiteral("the picture size must be 16 to 8000 pixels"));
    const QString ext = QString::fromLatin1(format ? format : "").toLower();
    if (ext != QLatin1String("png") && ext != QLatin1String("svg") && ext != QLatin1String("pdf"))
        return fail(QStringLiteral("the file name must end in .png, .svg or .pdf"));

    // Painted in memory: the painters do not report a failed write on their
    // device, so the file is written afterwards in one checked piece.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    const QRectF area(0, 0, width, height);
    bool painted = false;
    if (ext == QLatin1String("png")) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter p(&image);
        Paint(g, p, area);
        p.end();
        painted = image.save(&buffer, "PNG");
    } else if (ext == QLatin1String("svg")) {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(QSize(width, height));
        svg.setViewBox(area);
        svg.setTitle(QStringLiteral("Antenna pattern"));
        QPainter p;
        painted = p.begin(&svg);
        if (painted) {
            Paint(g, p, area);
            painted = p.end();
        }
    } else {
        QPdfWriter pdf(&buffer);
        pdf.setResolution(96);
        pdf.setPageSize(QPageSize(QSizeF(width, height) * 25.4 / 96, QPageSize::Millimeter));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setCreator(QStringLiteral("Veloran"));
        QPainter p;
        painted = p.begin(&pdf);
        if (painted) {
            Paint(g, p, area);
            painted = p.end();
        }
    }
    if (!painted || buffer.data().isEmpty())
        return fail(QStringLiteral("the picture could not be drawn"));
    if (bytes)
        bytes->assign(buffer.data().constData(), std::size_t(buffer.data().size()));
    return 0;
}

int SaveGraphPicture(int panel, int control, const char *fileName, int width, int height,
                     std::string *error)
{
    const QString name = QString::fromLocal8Bit(fileName ? fileName : "");
    const QByteArray ext = name.section(QLatin1Char('.'), -1).toLower().toLatin1();
    std::string bytes;
    if (RenderGraphPicture(panel, control, ext.constData(), width, height, &bytes, error) != 0)
        return -1;
    return SaveFileWhole(fileName, bytes.data(), bytes.size(), error);
}

int SaveFileWhole(const char *fileName, const char *data, std::size_t size, std::string *error)
{
    // Unbuffered, so that every write reaches the file system at once and a
    // failure shows in its result: a buffered QSaveFile can lose the error
    // of its last flush and still commit a short file.
    QSaveFile file(QString::fromLocal8Bit(fileName ? fileName : ""));
    auto fail = [&file, error] {
        if (error)
            *error = file.errorString().toStdString();
        if (file.isOpen())
            file.cancelWriting();
        return -1;
    };
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail();
    while (size > 0) {
        const qint64 n = file.write(data, qint64(std::min<std::size_t>(size, 1 << 20)));
        if (n <= 0)
            return fail();
        data += n;
        size -= std::size_t(n);
    }
    if (!file.flush() || file.error() != QFileDevice::NoError)
        return fail();
    if (!file.commit()) {
        if (error)
            *error = file.errorString().toStdString();
        return -1;
    }
    return 0;
}

}  // namespace rt
