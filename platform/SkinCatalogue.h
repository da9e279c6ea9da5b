// The skin catalogue: what each picture id of the program is (its role, size,
// look and captions, in the Chinese or the English set). The program's
// catalogue is the text file res/skin/catalogue.txt, built into the library;
// the file's head explains its columns. Adding a picture is adding a line.
#pragma once

#include <QList>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <unordered_map>
#include <vector>

namespace skin {

enum class Kind { Bitmap, Png };
enum class Role { Background, Button, Lamp, Track, Thumb, Spin, Picture };
enum class Set { Chinese, English, Both };

// A box of the layout that receives the next caption, drawn plain,
// highlighted or greyed.
struct TextBox {
    enum Look { Plain, Lit, Dim };
    QRect rect;
    Look look = Plain;
    bool centred = false; // centred in the box instead of at its left
};

struct Picture {
    int id = 0;
    int twin = 0; // the same picture in the other set; the id itself when shared; 0 none
    Set set = Set::Both;
    Kind kind = Kind::Bitmap;
    Role role = Role::Picture;
    QSize size;
    QString state; // the look of a button, lamp, spin strip, thumb or track
    QString tone;  // colour family; empty for the role's usual one
    bool transparent = false;
    Qt::Orientation orientation = Qt::Horizontal; // of tracks and thumbs
    QList<QRect> frames;
    QList<TextBox> textBoxes;
    QString icon;
    QRect iconRect;    // empty: the icon fills the picture's middle
    QStringList texts; // the captions, in this picture's language
    QString shows;
    int line = 0; // where the catalogue defines it
};

const char* RoleName(Role role);
// The looks a role knows; empty for roles without looks.
QStringList StatesOf(Role role);

class Catalogue {
public:
    // Parses a catalogue text; malformed lines are skipped and listed in Errors().
    static Catalogue Parse(const QString& text);
    // The program's catalogue, parsed once.
    static const Catalogue& Program();

    const Picture* Find(int id) const;
    const std::vector<Picture>& Pictures() const { return pictures_; }
    const QStringList& Errors() const { return errors_; }

private:
    void ParseLine(const QString& line, int number);
    void Add(Picture p);

    std::vector<Picture> pictures_;
    std::unordered_map<int, size_t> index_;
    QStringList errors_;
};

} // namespace skin
