// SPDX-License-Identifier: GPL-3.0-or-later
// The 3D graph's properties dialogue: view angles and distance, the
// surface's colour, background, grid. It works on the graph's stored state, so it needs
// no rendering.
#include <QCheckBox>
#include <QColorDialog>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QPushButton>
#include <QWidget>

#include "appearance.h"
#include "internal.h"
#include "ogl3d.h"
#include "ogl3d_graph.h"
#include "test_hooks.h"

namespace rt {

namespace {

detail::OglPropertiesAnswerer gAnswerer;

QPushButton *ColourButton(const QString &name, int rgb, QWidget *parent)
{
    auto *b = new QPushButton(parent);
    b->setObjectName(name);
    auto paint = [b](int v) {
        const QColor c = QColor::fromRgb(QRgb(v));
        b->setProperty("rgb", v);
        b->setText(c.name());
        // Screen readers say what the button is for (its row's caption) and
        // then the colour it shows.
        b->setAccessibleDescription(c.name());
        b->setStyleSheet(QStringLiteral("QPushButton { background: %1; color: %2; }")
                             .arg(c.name(), qGray(QRgb(v)) > 128 ? QStringLiteral("black")
                                                                 : QStringLiteral("white")));
    };
    paint(rgb);
    QObject::connect(b, &QPushButton::clicked, b, [b, paint] {
        detail::ModalScope modal;
        const QColor c = QColorDialog::getColor(QColor::fromRgb(QRgb(b->property("rgb").toInt())),
                                                b->window(), QStringLiteral("Choose a colour"));
        if (c.isValid())
            paint(int(c.rgb() & 0xFFFFFF));
    });
    return b;
}

QDoubleSpinBox *Spin(const QString &name, double lo, double hi, double step, int decimals,
                     double value, QWidget *parent)
{
    auto *s = new QDoubleSpinBox(parent);
    s->setObjectName(name);
    s->setRange(lo, hi);
    s->setSingleStep(step);
    s->setDecimals(decimals);
    s->setValue(value);
    return s;
}

// Shows the dialogue, or in test mode hands it to the test's answer.
bool Ask(QDialog &dlg)
{
    detail::TestHooks *hooks = detail::Hooks();
    if (!hooks) {
        detail::ModalScope modal;
        return dlg.exec() == QDialog::Accepted;
    }
    hooks->notePopup("ogl-properties", dlg.windowTitle().toStdString(), "");
    bool answered = false;
    const bool accepted = gAnswerer ? gAnswerer(dlg, answered) : false;
    if (!answered)
        hooks->failure("unexpected 3D properties pop-up");
    return answered && accepted;
}

}  // namespace

void detail::OglSetPropertiesAnswerer(OglPropertiesAnswerer answerer)
{
    gAnswerer = std::move(answerer);
}

int OGLPropertiesPopup(int panel, int graph)
{
    detail::OglGraph *g = detail::FindOglGraph(panel, graph);
    if (!g)
        return -1;
    double pointColour = 0x00FFFF;
    if (const detail::OglPlot *first = g->plot(int(g->get(RT_OGL_ATTR_FIRST_PLOT))))
        pointColour = first->attrs.at(RT_OGL_ATTR_POINT_COLOR);
    QDialog dlg(g->canvas() ? g->canvas()->window() : nullptr);
    dlg.setWindowTitle(QStringLiteral("3D Graph Properties"));
    auto *form = new QFormLayout(&dlg);
    auto *lon = Spin(QStringLiteral("longitude"), -360, 360, 5, 1,
                     g->get(RT_OGL_ATTR_VIEW_LONGITUDE), &dlg);
    auto *lat =
        Spin(QStringLiteral("latitude"), -90, 90, 5, 1, g->get(RT_OGL_ATTR_VIEW_LATITUDE), &dlg);
    auto *dist =
        Spin(QStringLiteral("distance"), 0.6, 30, 0.1, 2, g->get(RT_OGL_ATTR_VIEW_DISTANCE), &dlg);
    auto *colour = ColourButton(QStringLiteral("pointColor"), int(pointColour), &dlg);
    auto *back = ColourButton(QStringLiteral("backgroundColor"),
                              int(g->get(RT_OGL_ATTR_BACKGROUND_COLOR)), &dlg);
    auto *grid = new QCheckBox(QStringLiteral("Show the grid"), &dlg);
    grid->setObjectName(QStringLiteral("grid"));
    grid->setChecked(g->get(RT_OGL_ATTR_GRID_VISIBLE) != 0);
    // Each row's caption names its field for screen readers too, and reads
    // as the panels' labels do.
    auto row = [&](const QString &caption, QWidget *field) {
        auto *label = new detail::DisplayLabel(caption, &dlg);
        label->setBuddy(field);
        field->setAccessibleName(caption);
        form->addRow(label, field);
    };
    row(QStringLiteral("Turn (degrees)"), lon);
    row(QStringLiteral("Elevation (degrees)"), lat);
    row(QStringLiteral("Distance"), dist);
    row(QStringLiteral("Surface colour"), colour);
    row(QStringLiteral("Background colour"), back);
    form->addRow(QString(), grid);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    form->addRow(buttons);

    if (!Ask(dlg))
        return 0;
    // Re-resolve: a callback run during the dialogue may have changed the graph.
    g = detail::FindOglGraph(panel, graph);
    if (!g)
        return -1;
    g->set(RT_OGL_ATTR_VIEW_LONGITUDE, lon->value());
    g->set(RT_OGL_ATTR_VIEW_LATITUDE, lat->value());
    g->set(RT_OGL_ATTR_VIEW_DISTANCE, dist->value());
    g->set(RT_OGL_ATTR_BACKGROUND_COLOR, back->property("rgb").toInt());
    g->set(RT_OGL_ATTR_GRID_VISIBLE, grid->isChecked() ? 1 : 0);
    for (const detail::OglPlot &p : g->plots()) {
        detail::OglPlot *mine = g->plot(p.handle);
        g->setPlotAttribute(*mine, RT_OGL_ATTR_POINT_COLOR, colour->property("rgb").toInt());
    }
    OGLRefreshGraph(panel, graph);
    return 1;
}

}  // namespace rt
