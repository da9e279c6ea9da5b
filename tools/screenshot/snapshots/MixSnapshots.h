// The mix page alone, drawn into an image in one language: posed over a
// model given (the simulated device's data, say) or a default one, for an
// output and an active source. For a gallery of the pages and for looking
// at the page without the program.
#pragma once

#include <QImage>
#include <QSize>
#include <QString>

class CKTV_Data;

// The size the main view's page area gives the page.
QSize MixPageSize();

// language: 0 English, 1 Chinese; code: the active source (0 optical,
// 1 high-level, 2 phone, 3 AUX, 5 player); variant: the device variant.
// The language, active source, current output and variant are put back
// afterwards, and so is the shared link table a default model points at.
QImage RenderMixPageSnapshot(int language, int code = 1, int output = 0, int variant = 2,
                             CKTV_Data* model = nullptr);

// Writes mix-page-LANG.png (high-level rows live) and mix-page-aux-LANG.png
// (a device with six AUX inputs, AUX rows live), LANG en and zh, into the
// folder; false when one could not be written.
bool SaveMixPageSnapshots(const QString& folder, CKTV_Data* model = nullptr);
