// SPDX-License-Identifier: GPL-3.0-or-later
#include "pdf_text.h"

#include <QStandardPaths>

#include <regex>
#include <sstream>

#include "files.h"
#include "run_program.h"
#include "scratch.h"

namespace testsupport {

namespace {

std::string Tool(const char *name, const QStringList &args)
{
    const RunResult r = RunProgram(QString::fromUtf8(name), args);
    return r.status == 0 ? r.out : std::string();
}

std::string Ligatures(std::string text)
{
    for (const auto &[from, to] : {std::pair{"\xef\xac\x80", "ff"},
                                   {"\xef\xac\x81", "fi"},
                                   {"\xef\xac\x82", "fl"},
                                   {"\xef\xac\x83", "ffi"},
                                   {"\xef\xac\x84", "ffl"}})
        for (size_t at; (at = text.find(from)) != std::string::npos;)
            text.replace(at, 3, to);
    return text;
}

}  // namespace

bool HavePdfTools()
{
    for (const char *t : {"pdftotext", "pdftoppm", "pdfinfo"})
        if (QStandardPaths::findExecutable(QString::fromUtf8(t)).isEmpty())
            return false;
    return true;
}

std::string PdfText(const std::string &pdf)
{
    const std::string raw =
        Ligatures(Tool("pdftotext", {"-raw", QString::fromStdString(pdf), "-"}));
    return std::regex_replace(raw, std::regex("\\s+"), " ");
}

std::string PdfTextJoined(const std::string &pdf)
{
    std::string raw = Ligatures(Tool("pdftotext", {"-raw", QString::fromStdString(pdf), "-"}));
    raw = std::regex_replace(raw, std::regex("\n|\f"), "");
    return std::regex_replace(raw, std::regex("\\s+"), " ");
}

int PdfPages(const std::string &pdf)
{
    std::smatch m;
    const std::string info = Tool("pdfinfo", {QString::fromStdString(pdf)});
    return std::regex_search(info, m, std::regex("Pages: +([0-9]+)")) ? std::stoi(m[1]) : 0;
}

PdfPicture RenderPdfPage(const std::string &pdf, int page, int dpi)
{
    PdfPicture pic;
    const std::string stem = NewScratchDir("pdf-page") + "/page";
    const QString n = QString::number(page);
    Tool("pdftoppm", {"-r", QString::number(dpi), "-f", n, "-l", n, "-singlefile",
                      QString::fromStdString(pdf), QString::fromStdString(stem)});
    const std::string ppm = GetFile(stem + ".ppm");
    // P6, width, height, 255, one white space, then the pixels.
    std::istringstream head(ppm);
    std::string magic;
    int maxval = 0;
    head >> magic >> pic.width >> pic.height >> maxval;
    if (magic != "P6" || maxval != 255 || pic.width <= 0 || pic.height <= 0)
        return {};
    const size_t start = size_t(head.tellg()) + 1, size = size_t(pic.width) * pic.height * 3;
    if (ppm.size() < start + size)
        return {};
    pic.rgb.assign(ppm.begin() + std::ptrdiff_t(start), ppm.begin() + std::ptrdiff_t(start + size));
    return pic;
}

}  // namespace testsupport
