#include "platform/SkinCatalogue.h"

#include "platform/DialogUnits.h"

#include <QFile>
#include <QRegularExpression>

#include <stdexcept>

namespace skin {

namespace {

// A line's fault; caught by ParseLine, which records it with the line number.
struct LineError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

[[noreturn]] void Fail(const QString& what) {
    throw LineError(what.toStdString());
}

int ParseId(const QString& s) {
    if (s == QLatin1String("-")) return 0;
    bool ok = false;
    const int id = s.toInt(&ok);
    if (!ok || id <= 0 || id > 65535) Fail(QStringLiteral("bad id \"%1\"").arg(s));
    return id;
}

QRect ParseRect(const QString& s) {
    const QStringList parts = s.split(QLatin1Char(','));
    if (parts.size() != 4) Fail(QStringLiteral("bad rectangle \"%1\"").arg(s));
    int v[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        v[i] = parts[i].trimmed().toInt(&ok);
        if (!ok) Fail(QStringLiteral("bad rectangle \"%1\"").arg(s));
    }
    if (v[2] <= 0 || v[3] <= 0) Fail(QStringLiteral("empty rectangle \"%1\"").arg(s));
    return QRect(v[0], v[1], v[2], v[3]);
}

QSize ParseSize(const QString& s) {
    static const QRegularExpression re(
        QStringLiteral("^(\\d+)x(\\d+)(?:@\\s*(.*\\S)\\s+(\\d+))?$"));
    const QRegularExpressionMatch m = re.match(s);
    if (!m.hasMatch()) Fail(QStringLiteral("bad size \"%1\"").arg(s));
    QSize size(m.captured(1).toInt(), m.captured(2).toInt());
    if (m.capturedLength(3) > 0) {
        // Dialog units of a template font.
        const QByteArray face = m.captured(3).toLatin1();
        size = platform::DluToPixels(
            size, platform::TemplateFont{face.constData(), m.captured(4).toInt()});
    }
    if (size.isEmpty() || size.width() > 4096 || size.height() > 4096)
        Fail(QStringLiteral("bad size \"%1\"").arg(s));
    return size;
}

Role ParseRole(const QString& s) {
    for (Role r : {Role::Background, Role::Button, Role::Lamp, Role::Track, Role::Thumb, Role::Spin,
                   Role::Picture})
        if (s == QLatin1String(RoleName(r))) return r;
    Fail(QStringLiteral("unknown role \"%1\"").arg(s));
}

QStringList ParseTexts(const QString& s) {
    QStringList out;
    if (s.isEmpty()) return out;
    for (QString t : s.split(QLatin1Char(';'))) {
        t = t.trimmed();
        t.replace(QLatin1String("\\n"), QLatin1String("\n"));
        out << t;
    }
    return out;
}

const QStringList kTones = {QStringLiteral("dark"),   QStringLiteral("light"),
                            QStringLiteral("grey"),   QStringLiteral("green"),
                            QStringLiteral("orange"), QStringLiteral("blue"),
                            QStringLiteral("red")};

void ParseLayout(const QString& s, Picture& p) {
    p.orientation = p.size.height() > p.size.width() ? Qt::Vertical : Qt::Horizontal;
    if (s == QLatin1String("-")) return;
    for (const QString& token : s.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const qsizetype eq = token.indexOf(QLatin1Char('='));
        const QString key = eq < 0 ? token : token.left(eq);
        const QString value = eq < 0 ? QString() : token.mid(eq + 1);
        if (key == QLatin1String("frame")) {
            p.frames << ParseRect(value);
        } else if (key == QLatin1String("text") || key == QLatin1String("lit") ||
                   key == QLatin1String("dim") || key == QLatin1String("ctext")) {
            const TextBox::Look look = key == QLatin1String("lit")   ? TextBox::Lit
                                       : key == QLatin1String("dim") ? TextBox::Dim
                                                                     : TextBox::Plain;
            p.textBoxes << TextBox{ParseRect(value), look, key == QLatin1String("ctext")};
        } else if (key == QLatin1String("icon")) {
            const qsizetype at = value.indexOf(QLatin1Char('@'));
            p.icon = at < 0 ? value : value.left(at);
            if (at >= 0) p.iconRect = ParseRect(value.mid(at + 1));
            if (p.icon.isEmpty()) Fail(QStringLiteral("icon without a name"));
        } else if (key == QLatin1String("tone")) {
            if (!kTones.contains(value)) Fail(QStringLiteral("unknown tone \"%1\"").arg(value));
            p.tone = value;
        } else if (key == QLatin1String("transparent") && eq < 0) {
            p.transparent = true;
        } else if ((key == QLatin1String("vertical") || key == QLatin1String("horizontal")) &&
                   eq < 0) {
            p.orientation = key == QLatin1String("vertical") ? Qt::Vertical : Qt::Horizontal;
        } else {
            Fail(QStringLiteral("unknown layout token \"%1\"").arg(token));
        }
    }
}

} // namespace

const char* RoleName(Role role) {
    switch (role) {
    case Role::Background:
        return "background";
    case Role::Button:
        return "button";
    case Role::Lamp:
        return "lamp";
    case Role::Track:
        return "track";
    case Role::Thumb:
        return "thumb";
    case Role::Spin:
        return "spin";
    case Role::Picture:
        return "picture";
    }
    return "";
}

QStringList StatesOf(Role role) {
    switch (role) {
    case Role::Button:
        return {QStringLiteral("normal"),   QStringLiteral("hover"),
                QStringLiteral("pressed"),  QStringLiteral("on"),
                QStringLiteral("on-hover"), QStringLiteral("on-pressed"),
                QStringLiteral("disabled"), QStringLiteral("disabled-on")};
    case Role::Lamp:
        return {QStringLiteral("lit"), QStringLiteral("unlit")};
    case Role::Spin:
        return {QStringLiteral("idle"), QStringLiteral("down"), QStringLiteral("middle"),
                QStringLiteral("up")};
    case Role::Track:
    case Role::Thumb:
        return {QStringLiteral("normal"), QStringLiteral("active")};
    case Role::Background:
    case Role::Picture:
        break;
    }
    return {};
}

Catalogue Catalogue::Parse(const QString& text) {
    Catalogue c;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i)
        c.ParseLine(lines[i], i + 1);
    return c;
}

const Catalogue& Catalogue::Program() {
    static const Catalogue program = [] {
        QFile f(QStringLiteral(":/skin/catalogue.txt"));
        if (!f.open(QIODevice::ReadOnly)) {
            Catalogue empty;
            empty.errors_ << QStringLiteral("the built-in catalogue is missing");
            return empty;
        }
        return Parse(QString::fromUtf8(f.readAll()));
    }();
    return program;
}

const Picture* Catalogue::Find(int id) const {
    auto it = index_.find(id);
    return it == index_.end() ? nullptr : &pictures_[it->second];
}

void Catalogue::ParseLine(const QString& raw, int number) {
    const QString line = raw.trimmed();
    if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) return;
    try {
        const QStringList cols = line.split(QLatin1Char('|'));
        if (cols.size() != 10) Fail(QStringLiteral("%1 columns, not 10").arg(cols.size()));
        auto col = [&cols](int i) { return cols[i].trimmed(); };

        Picture p;
        p.line = number;
        const int zh = ParseId(col(0)), en = ParseId(col(1));
        if (!zh && !en) Fail(QStringLiteral("no id"));
        if (col(2) == QLatin1String("bmp"))
            p.kind = Kind::Bitmap;
        else if (col(2) == QLatin1String("png"))
            p.kind = Kind::Png;
        else
            Fail(QStringLiteral("unknown kind \"%1\"").arg(col(2)));
        p.role = ParseRole(col(3));
        p.size = ParseSize(col(4));
        const QString state = col(5);
        const QStringList states = StatesOf(p.role);
        if (states.isEmpty() ? state != QLatin1String("-") : !states.contains(state))
            Fail(QStringLiteral("look \"%1\" is not one of a %2's").arg(state, RoleName(p.role)));
        if (!states.isEmpty()) p.state = state;
        ParseLayout(col(6), p);
        const QStringList textZh = ParseTexts(col(7)), textEn = ParseTexts(col(8));
        p.shows = col(9);

        if (zh == en && textZh != textEn && !textEn.isEmpty())
            Fail(QStringLiteral("a picture of both sets reads the same in both"));
        auto add = [&](int id, int twin, Set set, const QStringList& texts) {
            Picture one = p;
            one.id = id;
            one.twin = twin;
            one.set = set;
            one.texts = texts;
            Add(std::move(one));
        };
        if (zh == en) {
            add(zh, zh, Set::Both, textZh);
            return;
        }
        if (zh) add(zh, en, Set::Chinese, textZh);
        if (en) add(en, zh, Set::English, textEn);
    } catch (const LineError& e) {
        errors_ << QStringLiteral("line %1: %2").arg(number).arg(QString::fromStdString(e.what()));
    }
}

void Catalogue::Add(Picture p) {
    if (index_.count(p.id))
        Fail(QStringLiteral("id %1 is already defined on line %2")
                 .arg(p.id)
                 .arg(pictures_[index_[p.id]].line));
    index_[p.id] = pictures_.size();
    pictures_.push_back(std::move(p));
}

} // namespace skin
