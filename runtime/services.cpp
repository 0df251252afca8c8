// SPDX-License-Identifier: GPL-3.0-or-later
// Starting programs, opening help, printing.
#include <QBuffer>
#include <QCoreApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QUrl>
#include <QWidget>

#include <algorithm>
#include <map>

#include "internal.h"
#include "render.h"
#include "rt.h"
#include "test_hooks.h"

namespace rt {

namespace {

std::map<int, int> gPrintAttributes;

// Draws the picture onto the device's page, scaled to fit (scaling != 0) or
// at its own size, centred at the top.
bool PaintPage(QPaintDevice &device, const QPixmap &picture, int screenDpi, int scaling)
{
    QPainter p;
    if (!p.begin(&device))
        return false;
    const QRect page = p.viewport();
    // At its own size the picture is as large on paper as on the screen.
    const double toPage = double(device.logicalDpiX()) / std::max(1, screenDpi);
    QSize target = (QSizeF(picture.size()) / picture.devicePixelRatio() * toPage).toSize();
    if (scaling || target.width() > page.width() || target.height() > page.height())
        target.scale(page.size(), Qt::KeepAspectRatio);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawPixmap(QRect(QPoint((page.width() - target.width()) / 2, 0), target), picture);
    return p.end();
}

// A print to a PDF file is drawn in memory and written whole: the printer's
// own file output reports no failed write, so a full disk would leave a
// short file behind a print that seemed done.
bool PrintToFile(const QPrinter &printer, const QPixmap &picture, int screenDpi, int scaling)
{
    const QString name = printer.outputFileName();
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    bool painted = false;
    {
        QPdfWriter pdf(&buffer);
        pdf.setPageLayout(printer.pageLayout());
        pdf.setResolution(printer.resolution());
        pdf.setCreator(printer.creator());
        pdf.setTitle(printer.docName());
        painted = PaintPage(pdf, picture, screenDpi, scaling);
    }
    std::string error = "the page could not be drawn";
    if (painted && !buffer.data().isEmpty()
        && SaveFileWhole(name.toLocal8Bit().constData(), buffer.data().constData(),
                         std::size_t(buffer.data().size()), &error)
               == 0)
        return true;
    const QString message = QStringLiteral("The print could not be written to %1: %2")
                                .arg(QDir::toNativeSeparators(name), QString::fromStdString(error));
    MessagePopup("Print", message.toUtf8().constData());
    return false;
}

// Prints the widget's picture, to a PDF file when one is named (or chosen in
// the print dialogue), otherwise to the printer.
bool PrintWidget(QWidget *w, const QString &fileName, int scaling, int interactive)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(w->width() > w->height() ? QPageLayout::Landscape
                                                        : QPageLayout::Portrait);
    QString pdf = fileName;
    const bool noPrinter =
        pdf.isEmpty() && !interactive && QPrinterInfo::availablePrinters().isEmpty();
    if (noPrinter) {
        // No printer on this machine: keep the print as a PDF in the current
        // folder, under a name no earlier print has taken.
        const QString stem = QDir::current().filePath(
            QStringLiteral("print-%1")
                .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"))));
        pdf = stem + QStringLiteral(".pdf");
        for (int n = 2; QFileInfo::exists(pdf); ++n)
            pdf = stem + QStringLiteral("-%1.pdf").arg(n);
    }
    if (!pdf.isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
    } else if (interactive) {
        QPrintDialog dlg(&printer, w->window());
        detail::ModalScope modal;
        if (dlg.exec() != QDialog::Accepted)
            return false;
    }
    const QPixmap picture = w->grab();
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()) {
        if (!PrintToFile(printer, picture, w->logicalDpiX(), scaling))
            return false;
        if (noPrinter) {
            const QString said = QStringLiteral("There is no printer: the print was saved as %1.")
                                     .arg(QDir::toNativeSeparators(pdf));
            MessagePopup("Print", said.toUtf8().constData());
        }
        return true;
    }
    return PaintPage(printer, picture, w->logicalDpiX(), scaling);
}

// The file a print goes to. In test mode the print is recorded, a print to
// the printer goes to the test's PDF file, and no dialogue shows.
QString PrintFile(int panel, int control, const char *fileName, int *interactive)
{
    QString file = QString::fromLocal8Bit(fileName ? fileName : "");
    if (auto *t = detail::Hooks()) {
        const std::string pdf = t->printed(panel, control, fileName ? fileName : "", *interactive);
        if (file.isEmpty())
            file = QString::fromStdString(pdf);
        *interactive = 0;
    }
    return file;
}

}  // namespace

int LaunchExecutable(const char *fileName)
{
    if (!fileName)
        return -1;
    const QString path = QFileInfo(QString::fromLocal8Bit(fileName)).absoluteFilePath();
    if (auto *t = detail::Hooks()) {
        t->launched(fileName);
        return QFileInfo(path).isExecutable() ? 0 : -1;
    }
    if (!QFileInfo(path).isExecutable())
        return -1;
    return QProcess::startDetached(path, {}, QDir::currentPath()) ? 0 : -1;
}

int SystemHelp(const char *helpFile, int command, int contextId, const char *)
{
    if (!helpFile)
        return -1;
    if (auto *t = detail::Hooks()) {
        t->helpCalled(std::string(helpFile) + " " + std::to_string(command) + " "
                      + std::to_string(contextId));
        return 0;
    }
    const QString path = QString::fromLocal8Bit(FindRunTimeFile(helpFile).c_str());
    if (path.isEmpty()) {
        qWarning("SystemHelp: %s", RunTimeFileMissing(helpFile).c_str());
        return -1;
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath())) ? 0
                                                                                              : -1;
}

int PrintPanel(int panel, const char *fileName, int scaling, int area, int interactive)
{
    (void)area;
    auto *p = detail::FindPanel(panel);
    if (!p || !p->widget)
        return -1;
    return PrintWidget(p->widget, PrintFile(panel, 0, fileName, &interactive), scaling, interactive)
               ? 0
               : -1;
}

int PrintCtrl(int panel, int control, const char *fileName, int scaling, int interactive)
{
    auto *c = detail::FindCtrl(panel, control);
    if (!c)
        return -1;
    return PrintWidget(c->widget, PrintFile(panel, control, fileName, &interactive), scaling,
                       interactive)
               ? 0
               : -1;
}

int SetPrintAttributeEx(int attribute, int value)
{
    gPrintAttributes[attribute] = value;
    return 0;
}

}  // namespace rt
