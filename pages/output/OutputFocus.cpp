// The output page's focus order: Right, Tab and Enter go to the next field,
// Left to the previous one, around a ring through the crossover, the level,
// the band fields, the delay and the master-volume field of the main view.
// In graphic mode the ring holds the gain fields only; in parametric mode
// the frequency, Q and gain rows in turn, and Enter walks down a column.
#include "pages/output/OutputPage.h"

#include "controls/EqGraph.h"
#include "controls/NumEdit.h"
#include "controls/PictureButton.h"

#include <QApplication>
#include <QCursor>
#include <QLineEdit>

namespace {

constexpr int kLastBand = COutputPage::kBandCount - 1;

bool InRow(int id, int base) {
    return id >= base && id <= base + kLastBand;
}

// The band of a band field, -1 for any other field.
int BandOf(int id) {
    for (int base : {COutputPage::kBandFreq, COutputPage::kBandQ, COutputPage::kBandGain})
        if (InRow(id, base)) return id - base;
    return -1;
}

} // namespace

void COutputPage::MoveFocus(int id, int band) {
    if (band >= 0 && band <= kLastBand) SelectBand(band);
    if (id == kMasterField) {
        if (m_View) m_View->FocusMasterVolumeField();
        return;
    }
    if (QWidget* w = Control(id)) w->setFocus(Qt::TabFocusReason);
}

void COutputPage::FocusField(int id) {
    MoveFocus(id, -1);
}

void COutputPage::FocusNext(int id) {
    const bool graphic = PictureButton(IDC_EQ_MODE)->GetCheck() != 0;
    const int firstBandField = graphic ? kBandGain : kBandFreq;
    switch (id) {
    case IDC_LEVEL2:
        m_Graph->Redraw(31);
        return MoveFocus(IDC_HPF_FREQ, -1);
    case IDC_HPF_FREQ:
        m_Graph->Redraw(32);
        return MoveFocus(IDC_LPF_FREQ, -1);
    case IDC_LPF_FREQ:
        ClearBandSelection();
        return MoveFocus(IDC_LEVEL, -1);
    case IDC_LEVEL:
        return MoveFocus(firstBandField, -1);
    case IDC_DELAY_MS:
        return MoveFocus(IDC_DELAY_CM, -1);
    case IDC_DELAY_CM:
        return MoveFocus(IDC_DELAY_INCH, -1);
    case IDC_DELAY_INCH:
        return MoveFocus(firstBandField, 0);
    case IDC_DELAY:
        return MoveFocus(kMasterField, -1);
    case kBandGain + kLastBand:
        return MoveFocus(IDC_DELAY, -1);
    default:
        break;
    }
    // The start of the walk from the main view's Tab (the id before the first field).
    if (graphic && id == kBandGain - 1) return MoveFocus(kBandGain, 0);
    if (!graphic && id == kBandFreq - 1) return MoveFocus(kBandFreq, -1);
    if (!graphic) {
        if (id == kBandQ + kLastBand) return MoveFocus(kBandGain, 0);
        if (id == kBandFreq + kLastBand) return MoveFocus(kBandQ, 0);
    }
    // The next field of a band row; the focus stays where no field follows
    // (the phase fields), and no band outside 0..30 is ever selected.
    const int band = BandOf(id);
    if (band < 0 || (graphic && !InRow(id, kBandGain))) return;
    MoveFocus(id + 1, BandOf(id + 1));
}

void COutputPage::FocusPrevious(int id) {
    const bool graphic = PictureButton(IDC_EQ_MODE)->GetCheck() != 0;
    switch (id) {
    case IDC_LEVEL2:
    case IDC_DELAY:
        return MoveFocus(kBandGain + kLastBand, kLastBand);
    case IDC_HPF_FREQ:
        ClearBandSelection();
        return MoveFocus(kMasterField, -1);
    case IDC_LPF_FREQ:
        m_Graph->Redraw(31);
        return MoveFocus(IDC_HPF_FREQ, -1);
    case IDC_DELAY_MS:
        m_Graph->Redraw(32);
        return MoveFocus(IDC_LPF_FREQ, -1);
    case IDC_DELAY_CM:
        return MoveFocus(IDC_DELAY_MS, -1);
    case IDC_DELAY_INCH:
        return MoveFocus(IDC_DELAY_CM, -1);
    case IDC_LEVEL:
        return MoveFocus(IDC_LPF_FREQ, -1);
    default:
        break;
    }
    if (graphic) {
        if (id == kBandGain) return MoveFocus(IDC_LEVEL, -1);
    } else {
        if (id == kBandQ) return MoveFocus(kBandFreq + kLastBand, kLastBand);
        if (id == kBandGain) return MoveFocus(kBandQ + kLastBand, kLastBand);
        if (id == kBandFreq) return MoveFocus(IDC_LEVEL, -1);
    }
    const int band = BandOf(id);
    if (band < 0 || (graphic && !InRow(id, kBandGain))) return;
    MoveFocus(id - 1, BandOf(id - 1));
}

void COutputPage::OnFocusDown(int id) {
    const int band = BandOf(id);
    if (InRow(id, kBandFreq)) return MoveFocus(kBandQ + band, band);
    if (InRow(id, kBandQ)) return MoveFocus(kBandGain + band, band);
    if (InRow(id, kBandGain) && band < kLastBand) return MoveFocus(kBandFreq + band + 1, band + 1);
    if (id == IDC_DELAY || id == IDC_PHASE_FREQ) return; // the focus stays
    FocusNext(id);
}

LRESULT COutputPage::OnFocusMove(WPARAM wParam, LPARAM key) {
    const int id = static_cast<int>(wParam);
    if (key == kKeyLeft)
        FocusPrevious(id);
    else if (key == kKeyRight)
        FocusNext(id);
    // A pointer resting on the graph would pick a band there: it moves to the
    // graph's lower left corner.
    const QRect graph(m_Graph->mapToGlobal(QPoint(0, 0)), m_Graph->size());
    if (graph.contains(QCursor::pos()))
        QCursor::setPos(graph.left(), graph.top() + m_Graph->height());
    return 0;
}

void COutputPage::FocusFirstBand() {
    if (dynamic_cast<QLineEdit*>(QApplication::focusWidget())) return;
    const bool graphic = PictureButton(IDC_EQ_MODE)->GetCheck() != 0;
    PostMessage(WM_FOCUS_MOVE, static_cast<WPARAM>(graphic ? kBandGain - 1 : kBandFreq - 1),
                kKeyRight);
    HighlightEdit(0, 0, false);
}
