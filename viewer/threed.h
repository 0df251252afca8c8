// SPDX-License-Identifier: GPL-3.0-or-later
// The 3D view: the pattern as a solid of points around the origin, the E
// plane setting its shape around the vertical axis and the H plane from pole
// to pole.
#pragma once

// The sampling grid of the solid.
struct SphereConfig {
    double radius;       // radius for a factor of 1, and half-length of each axis
    double azimuthFrom;  // degrees in the x-y plane, from the x axis
    double azimuthTo;
    int azimuthSteps;  // intervals: azimuthSteps + 1 samples
    double polarFrom;  // degrees from the z axis
    double polarTo;
    int polarSteps;
};

// The grid of the viewer: radius 10, both angles 0 to 359 degrees in 50 steps.
SphereConfig DefaultSphereConfig();

// Points of the solid, polar-major, three doubles x, y, z each; `points`
// holds (azimuthSteps + 1) * (polarSteps + 1) of them. Angles advance by
// repeated addition of the step; the radius factor of a point is
// (h[a] / 40 + 1) * (e[b] / 40 + 1) with a and b its polar and azimuth
// angles in whole degrees. Returns the number of points written.
int BuildSpherePoints(const SphereConfig &cfg, const double e_data[360], const double h_data[360],
                      double *points);

// Callbacks and routines of the 3D view.
void ant3DCallback(int menuBar, int menuItem, void *callbackData, int panel);
void antGraphicsCallback(int menuBar, int menuItem, void *callbackData, int panel);
int SPlot(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int createSPlot(double *points, int azimuthCount, int polarCount);
int sphere(void);
int sphereConfigure(int panel, int control, int event, void *callbackData, int eventData1,
                    int eventData2);
// Copies the canvas's position and size to the 3D graph's plot area.
void Sync3DPlotArea();
