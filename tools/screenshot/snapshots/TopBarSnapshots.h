// The windows of the main view's top bar, each drawn into an image in one
// language with the data the view holds (a device's, or the default model's):
// the row of output strips, the speaker-type popup of the current output's
// strip (with its submenus), the master-volume strip, the two source lists
// opened, and the L/R link question. For a gallery and for looking at them
// without a screen.
#pragma once

#include <QImage>
#include <QString>

class CLumaraView;

// language: 0 English, 1 Chinese. The view's language is put back afterwards.
QImage RenderStripRow(CLumaraView& view, int language);
QImage RenderSpeakerTypePopup(CLumaraView& view, int language);
QImage RenderMasterStrip(CLumaraView& view, int language);
// input: the input-source list, else the mix-source list; the button with its list open below it.
QImage RenderSourceListOpen(CLumaraView& view, int language, bool input);
QImage RenderLRLinkQuestion(CLumaraView& view, int language);

// Writes strips-, speaker-popup-, master-, input-list-, mix-list- and
// lr-link-LANG.png (LANG en and zh) into the folder; false when one could
// not be written.
bool SaveTopBarSnapshots(CLumaraView& view, const QString& folder);
