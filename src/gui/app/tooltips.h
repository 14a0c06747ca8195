#pragma once
// What the main window's controls mean, shown when the pointer rests on them: units and sign
// conventions of the fields, what each pass searches, why a greyed-out button is greyed.
#include <QString>

class QWidget;

namespace kesmora::gui {

// "018: vigintile, 18°" for an aspect box captioned "018"; the declination aspects are named
// by what they compare.
QString AspectToolTip(const QString& caption);

// Gives the main window's controls, found by their object names, their tips.
void SetMainWindowToolTips(QWidget* window);

// The widget tells what it does while it can be used, and why not while it is greyed out.
void ExplainWhenDisabled(QWidget* widget, const QString& whatItDoes, const QString& whyGreyed);

}  // namespace kesmora::gui
