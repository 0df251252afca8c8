// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the antenna library's pictures: one line drawing per antenna type,
// saved as BMP files into the folder given on the command line.
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include <cstdio>
#include <functional>

namespace {

constexpr int W = 360, H = 270;
const QColor kMetal(40, 60, 140), kFeed(200, 30, 30), kGround(90, 90, 90), kNote(60, 60, 60);

QPen MetalPen(double w = 5)
{
    return QPen(kMetal, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void Title(QPainter &p, const QString &title, const QString &note)
{
    QFont f = p.font();
    f.setPixelSize(17);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::black);
    p.drawText(QRect(0, H - 50, W, 24), Qt::AlignCenter, title);
    f.setPixelSize(13);
    f.setBold(false);
    p.setFont(f);
    p.setPen(kNote);
    p.drawText(QRect(0, H - 27, W, 20), Qt::AlignCenter, note);
}

void Label(QPainter &p, QPointF at, const QString &text, Qt::Alignment align = Qt::AlignLeft)
{
    QFont f = p.font();
    f.setPixelSize(13);
    f.setBold(false);
    p.setFont(f);
    p.setPen(kNote);
    QRectF r(at.x(), at.y() - 10, 120, 20);
    if (align & Qt::AlignRight)
        r.moveRight(at.x());
    else if (align & Qt::AlignHCenter)
        r.moveCenter(QPointF(at.x(), at.y()));
    p.drawText(r, int(align | Qt::AlignVCenter), text);
}

// The feed: a small source symbol with its two leads.
void Feed(QPainter &p, QPointF a, QPointF b)
{
    p.setPen(QPen(kFeed, 2));
    p.drawLine(a, b);
    const QPointF m = (a + b) / 2;
    p.setBrush(Qt::white);
    p.drawEllipse(m, 7, 7);
    p.drawText(QRectF(m.x() - 7, m.y() - 8, 14, 16), Qt::AlignCenter, QStringLiteral("~"));
    p.setBrush(Qt::NoBrush);
}

// A vertical dimension arrow with its text.
void Dimension(QPainter &p, double x, double y1, double y2, const QString &text)
{
    p.setPen(QPen(kNote, 1));
    p.drawLine(QPointF(x, y1), QPointF(x, y2));
    for (double y : {y1, y2}) {
        const double d = y == y1 ? 6 : -6;
        p.drawLine(QPointF(x, y), QPointF(x - 4, y + d));
        p.drawLine(QPointF(x, y), QPointF(x + 4, y + d));
    }
    Label(p, QPointF(x + 8, (y1 + y2) / 2), text);
}

void Ground(QPainter &p, double x1, double x2, double y)
{
    p.setPen(QPen(kGround, 3));
    p.drawLine(QPointF(x1, y), QPointF(x2, y));
    p.setPen(QPen(kGround, 1));
    for (double x = x1 + 6; x <= x2; x += 12)
        p.drawLine(QPointF(x, y), QPointF(x - 8, y + 10));
}

void Dipole(QPainter &p, double half, const QString &title, const QString &note)
{
    const double cx = 150, cy = 110;
    p.setPen(MetalPen());
    p.drawLine(QPointF(cx, cy - 8), QPointF(cx, cy - 8 - half));
    p.drawLine(QPointF(cx, cy + 8), QPointF(cx, cy + 8 + half));
    Feed(p, QPointF(cx, cy - 8), QPointF(cx, cy + 8));
    p.setPen(QPen(kFeed, 2));
    p.drawLine(QPointF(cx, cy), QPointF(cx + 60, cy));
    Label(p, QPointF(cx + 64, cy), QStringLiteral("feed line"));
    Dimension(p, cx - 40, cy - 8 - half, cy + 8 + half, QString());
    Label(p, QPointF(cx - 46, cy), QStringLiteral("\u03bb/2"), Qt::AlignRight);
    Title(p, title, note);
}

void Monopole(QPainter &p, double len, const QString &title, const QString &note)
{
    const double cx = 180, gy = 190;
    Ground(p, 60, 300, gy);
    p.setPen(MetalPen());
    p.drawLine(QPointF(cx, gy - 12), QPointF(cx, gy - 12 - len));
    Feed(p, QPointF(cx, gy), QPointF(cx, gy - 12));
    Dimension(p, cx + 30, gy - 12 - len, gy - 12, QStringLiteral("\u03bb/4"));
    Label(p, QPointF(70, gy - 14), QStringLiteral("ground plane"));
    Title(p, title, note);
}

QPainterPath Spiral()
{
    QPainterPath path;
    for (int arm = 0; arm < 2; ++arm) {
        QPainterPath a;
        for (int i = 0; i <= 400; ++i) {
            const double t = i / 400.0 * 3.2 * 2 * M_PI;
            const double r = 6 + 13 * t / (2 * M_PI);
            const QPointF pt(180 + r * std::cos(t + arm * M_PI),
                             105 + r * std::sin(t + arm * M_PI));
            if (i == 0)
                a.moveTo(pt);
            else
                a.lineTo(pt);
        }
        path.addPath(a);
    }
    return path;
}

struct Picture {
    const char *file;
    std::function<void(QPainter &)> draw;
};

const Picture kPictures[] = {
    {"Dipole5.bmp",
     [](QPainter &p) {
         Dipole(p, 70, QStringLiteral("Half-wave dipole, 500 MHz"),
                QStringLiteral("two arms of \u03bb/4 each, about 30 cm in all"));
     }},
    {"Dipole2.bmp",
     [](QPainter &p) {
         Dipole(p, 32, QStringLiteral("Half-wave dipole, 2 GHz"),
                QStringLiteral("two arms of \u03bb/4 each, about 7.5 cm in all"));
     }},
    {"Folded.bmp",
     [](QPainter &p) {
         p.setPen(MetalPen(4));
         p.drawLine(QPointF(70, 90), QPointF(170, 90));
         p.drawLine(QPointF(190, 90), QPointF(290, 90));
         p.drawLine(QPointF(70, 120), QPointF(290, 120));
         p.drawArc(QRectF(55, 90, 30, 30), 90 * 16, 180 * 16);
         p.drawArc(QRectF(275, 90, 30, 30), -90 * 16, 180 * 16);
         Feed(p, QPointF(170, 90), QPointF(190, 90));
         p.setPen(QPen(kFeed, 2));
         p.drawLine(QPointF(180, 83), QPointF(180, 50));
         Label(p, QPointF(186, 52), QStringLiteral("feed"));
         Label(p, QPointF(180, 145),
               QStringLiteral("two parallel \u03bb/2 wires joined at the ends"), Qt::AlignHCenter);
         Title(p, QStringLiteral("Folded dipole, 500 MHz"),
               QStringLiteral("feed impedance about four times a dipole's"));
     }},
    {"Mono5.bmp",
     [](QPainter &p) {
         Monopole(p, 120, QStringLiteral("Monopole over ground, 500 MHz"),
                  QStringLiteral("one \u03bb/4 rod, the ground plane mirrors it"));
     }},
    {"Mono2.bmp",
     [](QPainter &p) {
         Monopole(p, 55, QStringLiteral("Monopole over ground, 2 GHz"),
                  QStringLiteral("one \u03bb/4 rod, the ground plane mirrors it"));
     }},
    {"Drooping.bmp",
     [](QPainter &p) {
         const double cx = 180, base = 130;
         p.setPen(QPen(kGround, 4));
         p.drawLine(QPointF(cx, base + 10), QPointF(cx, 205));
         Label(p, QPointF(cx + 8, 200), QStringLiteral("coaxial cable"));
         p.setPen(MetalPen());
         p.drawLine(QPointF(cx, base - 10), QPointF(cx, 30));
         for (double dx : {-1.0, 1.0}) {
             p.drawLine(QPointF(cx, base + 10), QPointF(cx + dx * 95, base + 70));
             p.drawLine(QPointF(cx, base + 10), QPointF(cx + dx * 45, base + 50));
         }
         Feed(p, QPointF(cx, base + 10), QPointF(cx, base - 10));
         Dimension(p, cx + 30, 30, base - 10, QStringLiteral("\u03bb/4"));
         Label(p, QPointF(cx - 100, base + 80), QStringLiteral("drooping radials"));
         Title(p, QStringLiteral("Drooping ground-plane antenna"),
               QStringLiteral("\u03bb/4 whip on the centre lead, radials on the shield"));
     }},
    {"Loopc.bmp",
     [](QPainter &p) {
         p.setPen(MetalPen());
         p.drawArc(QRectF(110, 30, 140, 140), -80 * 16, 340 * 16);
         Feed(p, QPointF(192, 169), QPointF(168, 169));
         Title(p, QStringLiteral("Circular loop, 500 MHz"),
               QStringLiteral("a small loop: the dual of a short dipole"));
     }},
    {"Loopd.bmp",
     [](QPainter &p) {
         p.setPen(MetalPen());
         QPainterPath d;
         d.moveTo(172, 180);
         d.lineTo(110, 110);
         d.lineTo(180, 35);
         d.lineTo(250, 110);
         d.lineTo(188, 180);
         p.drawPath(d);
         Feed(p, QPointF(188, 186), QPointF(172, 186));
         Title(p, QStringLiteral("Diamond loop, 500 MHz"),
               QStringLiteral("a square loop stood on one corner"));
     }},
    {"Loops.bmp",
     [](QPainter &p) {
         p.setPen(MetalPen());
         QPainterPath s;
         s.moveTo(170, 170);
         s.lineTo(125, 170);
         s.lineTo(125, 60);
         s.lineTo(235, 60);
         s.lineTo(235, 170);
         s.lineTo(190, 170);
         p.drawPath(s);
         Feed(p, QPointF(190, 170), QPointF(170, 170));
         Title(p, QStringLiteral("Square loop, 2 GHz"),
               QStringLiteral("side much shorter than \u03bb/2"));
     }},
    {"Yagi.bmp",
     [](QPainter &p) {
         p.setPen(QPen(kGround, 4));
         p.drawLine(QPointF(50, 110), QPointF(320, 110));
         p.setPen(MetalPen(4));
         const double xs[] = {70, 120, 175, 225, 275};
         const double half[] = {80, 72, 62, 58, 54};
         for (int i = 0; i < 5; ++i) {
             if (i == 1) {
                 p.drawLine(QPointF(xs[i], 110 - half[i]), QPointF(xs[i], 102));
                 p.drawLine(QPointF(xs[i], 118), QPointF(xs[i], 110 + half[i]));
                 Feed(p, QPointF(xs[i], 102), QPointF(xs[i], 118));
                 p.setPen(MetalPen(4));
             } else {
                 p.drawLine(QPointF(xs[i], 110 - half[i]), QPointF(xs[i], 110 + half[i]));
             }
         }
         Label(p, QPointF(70, 200), QStringLiteral("reflector"), Qt::AlignHCenter);
         Label(p, QPointF(125, 22), QStringLiteral("driven"), Qt::AlignHCenter);
         Label(p, QPointF(225, 180), QStringLiteral("directors"), Qt::AlignHCenter);
         p.setPen(QPen(kFeed, 2));
         p.drawLine(QPointF(300, 80), QPointF(340, 80));
         p.drawLine(QPointF(340, 80), QPointF(332, 75));
         p.drawLine(QPointF(340, 80), QPointF(332, 85));
         Label(p, QPointF(336, 65), QStringLiteral("beam"), Qt::AlignHCenter);
         Title(p, QStringLiteral("Yagi-Uda array, 500 MHz"),
               QStringLiteral("reflector, driven dipole and directors on one boom"));
     }},
    {"Spirla.bmp",
     [](QPainter &p) {
         p.setPen(MetalPen(3));
         p.drawPath(Spiral());
         Feed(p, QPointF(174, 105), QPointF(186, 105));
         Title(p, QStringLiteral("Two-arm spiral, 2 GHz"),
               QStringLiteral("frequency-independent: the active ring turns with \u03bb"));
     }},
    {"Helical.bmp",
     [](QPainter &p) {
         p.setPen(QPen(kGround, 3));
         p.drawLine(QPointF(60, 60), QPointF(60, 170));
         Label(p, QPointF(30, 185), QStringLiteral("ground plane"));
         p.setPen(MetalPen(3));
         QPainterPath h;
         h.moveTo(60, 115);
         for (int i = 0; i <= 600; ++i) {
             const double t = i / 600.0 * 7 * 2 * M_PI;
             h.lineTo(75 + t * 230 / (7 * 2 * M_PI), 115 - 38 * std::cos(t) + 0 * std::sin(t));
         }
         p.drawPath(h);
         Feed(p, QPointF(40, 115), QPointF(60, 115));
         p.setPen(QPen(kFeed, 2));
         p.drawLine(QPointF(310, 115), QPointF(345, 115));
         p.drawLine(QPointF(345, 115), QPointF(337, 110));
         p.drawLine(QPointF(345, 115), QPointF(337, 120));
         Title(p, QStringLiteral("Axial-mode helix, 10 GHz"),
               QStringLiteral("circumference about \u03bb; beam along the axis"));
     }},
    {"Horn.bmp",
     [](QPainter &p) {
         p.setPen(MetalPen(3));
         p.setBrush(QColor(220, 225, 240));
         p.drawRect(QRectF(50, 95, 90, 40));
         QPolygonF flare;
         flare << QPointF(140, 95) << QPointF(300, 35) << QPointF(300, 195) << QPointF(140, 135);
         p.drawPolygon(flare);
         p.setBrush(Qt::NoBrush);
         Label(p, QPointF(95, 150), QStringLiteral("waveguide"), Qt::AlignHCenter);
         Label(p, QPointF(300, 212), QStringLiteral("aperture"), Qt::AlignHCenter);
         Feed(p, QPointF(80, 135), QPointF(80, 105));
         Title(p, QStringLiteral("Pyramidal horn, 10 GHz"),
               QStringLiteral("a waveguide flared out to a wide aperture"));
     }},
    {"Patch.bmp",
     [](QPainter &p) {
         QPolygonF sub;
         sub << QPointF(60, 150) << QPointF(240, 150) << QPointF(310, 80) << QPointF(130, 80);
         p.setPen(QPen(kGround, 2));
         p.setBrush(QColor(200, 215, 190));
         p.drawPolygon(sub);
         QPolygonF patch;
         patch << QPointF(135, 130) << QPointF(205, 130) << QPointF(240, 95) << QPointF(170, 95);
         p.setPen(MetalPen(2));
         p.setBrush(QColor(215, 170, 60));
         p.drawPolygon(patch);
         p.setBrush(Qt::NoBrush);
         p.setPen(QPen(QColor(215, 170, 60), 5));
         p.drawLine(QPointF(170, 130), QPointF(150, 150));
         p.setPen(QPen(kGround, 2));
         p.drawLine(QPointF(60, 150), QPointF(60, 160));
         p.drawLine(QPointF(240, 150), QPointF(240, 160));
         p.drawLine(QPointF(310, 80), QPointF(310, 90));
         p.drawLine(QPointF(60, 160), QPointF(240, 160));
         p.drawLine(QPointF(240, 160), QPointF(310, 90));
         Label(p, QPointF(150, 175), QStringLiteral("microstrip feed"), Qt::AlignHCenter);
         Label(p, QPointF(250, 60), QStringLiteral("patch on substrate"), Qt::AlignHCenter);
         Title(p, QStringLiteral("Microstrip patch, 10 GHz"),
               QStringLiteral("a metal patch about \u03bb/2 long over a ground plane"));
     }},
};

}  // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: antpics <folder>\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    dir.mkpath(QStringLiteral("."));
    for (const auto &pic : kPictures) {
        QImage img(W, H, QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        pic.draw(p);
        p.end();
        if (!img.save(dir.filePath(QString::fromLatin1(pic.file)), "BMP")) {
            std::fprintf(stderr, "antpics: cannot write %s\n", pic.file);
            return 1;
        }
    }
    return 0;
}
