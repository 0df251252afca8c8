// SPDX-License-Identifier: GPL-3.0-or-later
// The text and pixels of a PDF as poppler's tools give them, for tests that
// read the reports as a reader and a printer would.
#pragma once

#include <string>
#include <vector>

namespace testsupport {

// Whether pdftotext, pdftoppm and pdfinfo are there (poppler-utils).
bool HavePdfTools();

// The text of a PDF in the order it was drawn (pdftotext -raw), the fonts'
// ligatures written out, each run of white space one space; empty when it
// cannot be read.
std::string PdfText(const std::string &pdf);
// The same with the lines joined without a space, so that a text wrapped
// anywhere (a long path) reads as one again.
std::string PdfTextJoined(const std::string &pdf);
int PdfPages(const std::string &pdf);  // 0 when it cannot be read

// One page drawn at `dpi` in RGB; empty when it cannot be drawn.
struct PdfPicture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;  // width * height * 3 bytes
    // The share of pixels for which test(r, g, b) holds.
    template <class F> double Share(F test) const
    {
        if (rgb.empty())
            return 0;
        size_t n = 0;
        for (size_t i = 0; i + 2 < rgb.size(); i += 3)
            n += test(rgb[i], rgb[i + 1], rgb[i + 2]) ? 1 : 0;
        return double(n) / double(rgb.size() / 3);
    }
};
PdfPicture RenderPdfPage(const std::string &pdf, int page, int dpi);

}  // namespace testsupport
