// The output page and its pop-up alone, drawn into an image in one language
// with a model given (for instance the simulated device's data) or a default
// one built for the picture. For looking at the windows without the program.
#pragma once

#include <QImage>
#include <QString>

class CKTV_Data;

// The output page showing output `output` at the size of the view's page area.
// language: 0 English, 1 Chinese. The shared link table, the current output
// and the language are left as they were.
QImage RenderOutputPageSnapshot(int language, CKTV_Data* model = nullptr, int output = 0);

// Writes output-page-LANG.png (LANG en and zh) into the folder; false when
// one could not be written.
bool SaveOutputPageSnapshots(const QString& folder, CKTV_Data* model = nullptr, int output = 0);

// The phase pop-up of output `output` with the name its panel shows, at its size.
QImage RenderPhasePopupSnapshot(int language, CKTV_Data* model = nullptr, int output = 0,
                                const QString& name = QString());

// Writes phase-popup-LANG.png (LANG en and zh) into the folder.
bool SavePhasePopupSnapshots(const QString& folder, CKTV_Data* model = nullptr, int output = 0,
                             const QString& name = QString());
