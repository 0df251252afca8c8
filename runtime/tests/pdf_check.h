// SPDX-License-Identifier: GPL-3.0-or-later
// Reads back what a printed PDF shows: its first page as an image, through
// the poppler tools of the test machine.
#pragma once

#include <QColor>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <cstdlib>

namespace rt::test {

// The first page of `pdf` at `dpi`, or a null image when it cannot be read.
inline QImage PdfFirstPage(const QString &pdf, int dpi = 40)
{
    QTemporaryDir dir;
    if (!dir.isValid() || !QFileInfo::exists(pdf))
        return {};
    const QString base = dir.filePath(QStringLiteral("page"));
    QProcess p;
    p.start(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-png"),
             QStringLiteral("-singlefile"), QStringLiteral("-f"), QStringLiteral("1"),
             QStringLiteral("-l"), QStringLiteral("1"), pdf, base});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    return QImage(base + QStringLiteral(".png"));
}

// Share of pixels that differ clearly from white.
inline double InkShare(const QImage &img)
{
    if (img.isNull())
        return 0;
    qint64 ink = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qGray(img.pixel(x, y)) < 230)
                ++ink;
    return double(ink) / (double(img.width()) * img.height());
}

// Pixels close to `rgb` (each channel within `tolerance`).
inline int CountColour(const QImage &img, QRgb rgb, int tolerance = 60)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb p = img.pixel(x, y);
            if (std::abs(qRed(p) - qRed(rgb)) <= tolerance
                && std::abs(qGreen(p) - qGreen(rgb)) <= tolerance
                && std::abs(qBlue(p) - qBlue(rgb)) <= tolerance)
                ++n;
        }
    return n;
}

}  // namespace rt::test
