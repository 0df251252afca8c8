#include "render.h"

#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>

#include "graph.h"
#include "internal.h"

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

int SaveGraphPicture(int panel, int control, const char *fileName, int width, int height,
                     std::string *error)
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
    const QString name = QString::fromLocal8Bit(fileName ? fileName : "");
    const QString ext = name.section(QLatin1Char('.'), -1).toLower();
    if (ext != QLatin1String("png") && ext != QLatin1String("svg") && ext != QLatin1String("pdf"))
        return fail(QStringLiteral("the file name must end in .png, .svg or .pdf"));

    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    const QRectF area(0, 0, width, height);
    bool painted = false;
    if (ext == QLatin1String("png")) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter p(&image);
        Paint(g, p, area);
        p.end();
        painted = image.save(&file, "PNG");
    } else if (ext == QLatin1String("svg")) {
        QSvgGenerator svg;
        svg.setOutputDevice(&file);
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
        QPdfWriter pdf(&file);
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
    if (!painted) {
        file.cancelWriting();
        return fail(QStringLiteral("the picture could not be drawn"));
    }
    if (!file.commit())
        return fail(file.errorString());
    return 0;
}

int SaveFileWhole(const char *fileName, const char *data, std::size_t size, std::string *error)
{
    QSaveFile file(QString::fromLocal8Bit(fileName ? fileName : ""));
    if (!file.open(QIODevice::WriteOnly) || file.write(data, qint64(size)) != qint64(size)
        || !file.commit()) {
        if (error)
            *error = file.errorString().toStdString();
        return -1;
    }
    return 0;
}

}  // namespace rt
