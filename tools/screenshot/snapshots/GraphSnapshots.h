// Each graph alone, drawn into an image in one language: the equaliser graph
// at the output page's size and the dynamics curve at the system page's, over
// a model given or a default one built for the picture. For a gallery of the
// controls and for looking at them without the program.
#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <memory>

class CKTV_Data;
class CKTV_OutData;

// A model for one picture, in one language. Building a model points the
// shared link table at its outputs, so the table, the current output and the
// language are put back when the scope ends.
class CPictureScope {
public:
    // Without a model a default one is built and dropped again.
    CPictureScope(int language, CKTV_Data* model);
    ~CPictureScope();
    CPictureScope(const CPictureScope&) = delete;
    CPictureScope& operator=(const CPictureScope&) = delete;

    CKTV_Data* Model() const { return model_; }

private:
    int language_;
    int linkKey_[12] = {};
    CKTV_OutData* linked_[12] = {};
    int linkActive_ = 0;
    int currentOutput_ = 0;
    std::unique_ptr<CKTV_Data> own_;
    CKTV_Data* model_ = nullptr;
};

// The sizes the pages give the graphs.
QSize OutputGraphSize();
QSize DynamicsGraphSize();

// The equaliser graph in mode 3 (music input 0) or 4 (output 0) with band
// `selectedBand` selected (-1 none). language: 0 English, 1 Chinese. Without
// a model a default one is built and dropped again; the shared link table
// and the language are left as they were.
QImage RenderEqCurveSnapshot(int language, int mode = 4, int selectedBand = -1,
                             CKTV_Data* model = nullptr);

// The dynamics curve of output `channel` with the page's values
// (limiter level, compressor level, ratio codes; -1 keeps what the graph
// reads from the model).
QImage RenderDynamicsSnapshot(int language, int channel = 0, int limiterLevel = -1,
                              int compressorLevel = -1, int ratio = -1, CKTV_Data* model = nullptr);

// Writes eq-curve-LANG.png (the output page's graph), eq-input-LANG.png (the
// input page's) and dynamics-LANG.png, LANG en and zh, into the folder; false
// when one could not be written.
bool SaveGraphSnapshots(const QString& folder);
