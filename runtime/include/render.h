// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures of a graph control for files and reports (the same plot items the
// control shows, painted at any size, vector where the target is), and files
// written whole or not at all.
#pragma once

#include <cstddef>
#include <string>

class QPainter;
class QRectF;

namespace rt {

// Paints the graph control into painter within target (device units), with
// lines and text grown in proportion to the size. 0, or -1 when the control
// is not a graph.
int RenderGraphCtrl(int panel, int control, QPainter &painter, const QRectF &target);

// Paints the graph control as a picture of format "png" (width x height
// pixels, 16 to 8000 each), "svg" or "pdf" (vector, the same proportions)
// into *bytes, for the caller to write. 0, or -1 with the reason in *error.
int RenderGraphPicture(int panel, int control, const char *format, int width, int height,
                       std::string *bytes, std::string *error);

// Writes the graph control as a picture file, chosen by the name's extension:
// ".png" (width x height pixels, 16 to 8000 each), ".svg" or ".pdf" (vector, the same
// proportions). The file appears only once complete; an existing file is
// replaced then. 0 on success; -1 with the reason in *error otherwise.
int SaveGraphPicture(int panel, int control, const char *fileName, int width, int height,
                     std::string *error);

// Writes size bytes to fileName through a temporary file that replaces it
// only once complete, so a failure leaves no partial file and any old file
// as it was. 0, or -1 with the reason in *error.
int SaveFileWhole(const char *fileName, const char *data, std::size_t size, std::string *error);

}  // namespace rt
