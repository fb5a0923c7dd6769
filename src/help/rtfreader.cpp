#include "help/rtfreader.h"

#include "help/rtfcodepages.h"
#include "platform/twips.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QString>
#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QTextOption>
#include <QUrl>
#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace rtf {

namespace {

// Deeper groups than this share the state of the deepest one kept: real documents nest a dozen
// levels, and a bound keeps hostile input from growing the stack without limit.
constexpr int MaxKeptDepth = 1000;
// Parameters are clamped here; RTF's own are 16 or 32 bits and nothing meaningful is larger.
constexpr std::int64_t ParamLimit = 1'000'000'000;

enum class Dest : std::uint8_t { Text, Skip, FontTable, ColorTable, Picture };

struct CharProps {
    int font = -1; // -1: the document's default font
    int halfPoints = 24;
    int foreground = 0; // colour table index; 0 is "auto"
    int background = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    bool hidden = false;
    std::int8_t vertical = 0; // -1 subscript, 1 superscript

    bool operator==(const CharProps&) const = default;
};

struct ParaProps {
    std::int8_t align = 0; // 0 left, 1 centre, 2 right, 3 justified
    int leftIndent = 0;    // twips
    int rightIndent = 0;
    int firstIndent = 0;
    int spaceBefore = 0;
    int spaceAfter = 0;
    int outline = -1;
    // Tab stops (twips from the page margin), ascending; writers set one or two for hanging lists.
    std::array<int, 8> tabStops{};
    std::uint8_t tabCount = 0;

    bool operator==(const ParaProps&) const = default;
};

struct State {
    CharProps chr;
    ParaProps para;
    Dest dest = Dest::Text;
    int unicodeSkip = 1;  // \ucN: fallback characters after each \uN
    bool starred = false; // the group began with \*: skip it unless its destination is known
};

struct Font {
    QString name;
    int codePage = 0; // 0: the document's
    bool symbol = false;
};

struct Picture {
    QByteArray bytes;
    bool supported = false;
    int widthGoal = 0; // twips
    int heightGoal = 0;
    int scaleX = 100;
    int scaleY = 100;
    int nibble = -1;       // first hex digit of a byte still waiting for its second
    std::size_t depth = 0; // the group that owns the picture
};

enum class Kw : std::uint8_t {
    // destinations
    FontTable,
    ColorTable,
    Pict,
    SkipDest,
    TextDest,
    // document
    Ansi,
    AnsiCpg,
    Deff,
    // character
    Plain,
    Bold,
    Italic,
    Underline,
    UnderlineNone,
    Strike,
    Hidden,
    FontSize,
    Font,
    Foreground,
    Background,
    Sub,
    Super,
    NoSuperSub,
    Uc,
    U,
    // paragraph
    Pard,
    AlignLeft,
    AlignCentre,
    AlignRight,
    AlignJustify,
    LeftIndent,
    RightIndent,
    FirstIndent,
    SpaceBefore,
    SpaceAfter,
    Outline,
    TabStop,
    Par,
    Line,
    Tab,
    Cell,
    Row,
    InTable,
    RowDefaults,
    CellEdge,
    // font table
    FontCharset,
    FontCodePage,
    // colour table
    Red,
    Green,
    Blue,
    // pictures
    PngBlip,
    JpegBlip,
    PicWidthGoal,
    PicHeightGoal,
    PicScaleX,
    PicScaleY,
    Bin,
    // characters by name
    Symbol,
};

struct KwInfo {
    Kw kw;
    char16_t ch = 0; // for Kw::Symbol
};

const std::unordered_map<std::string_view, KwInfo>& keywords() {
    static const std::unordered_map<std::string_view, KwInfo> table = {
        {"fonttbl", {Kw::FontTable}},
        {"colortbl", {Kw::ColorTable}},
        {"pict", {Kw::Pict}},
        // Groups whose contents are not part of the running text.
        {"stylesheet", {Kw::SkipDest}},
        {"info", {Kw::SkipDest}},
        {"listtable", {Kw::SkipDest}},
        {"listoverridetable", {Kw::SkipDest}},
        {"revtbl", {Kw::SkipDest}},
        {"rsidtbl", {Kw::SkipDest}},
        {"filetbl", {Kw::SkipDest}},
        {"header", {Kw::SkipDest}},
        {"headerl", {Kw::SkipDest}},
        {"headerr", {Kw::SkipDest}},
        {"headerf", {Kw::SkipDest}},
        {"footer", {Kw::SkipDest}},
        {"footerl", {Kw::SkipDest}},
        {"footerr", {Kw::SkipDest}},
        {"footerf", {Kw::SkipDest}},
        {"footnote", {Kw::SkipDest}},
        {"fldinst", {Kw::SkipDest}},
        {"nonshppict", {Kw::SkipDest}},
        {"shpinst", {Kw::SkipDest}},
        {"object", {Kw::SkipDest}},
        {"objdata", {Kw::SkipDest}},
        {"pn", {Kw::SkipDest}},
        {"pnseclvl", {Kw::SkipDest}},
        {"xe", {Kw::SkipDest}},
        {"tc", {Kw::SkipDest}},
        {"txe", {Kw::SkipDest}},
        {"template", {Kw::SkipDest}},
        {"upr", {Kw::SkipDest}},
        {"background", {Kw::SkipDest}},
        {"themedata", {Kw::SkipDest}},
        {"colorschememapping", {Kw::SkipDest}},
        {"datastore", {Kw::SkipDest}},
        {"latentstyles", {Kw::SkipDest}},
        {"generator", {Kw::SkipDest}},
        {"author", {Kw::SkipDest}},
        {"title", {Kw::SkipDest}},
        {"subject", {Kw::SkipDest}},
        {"comment", {Kw::SkipDest}},
        {"keywords", {Kw::SkipDest}},
        {"operator", {Kw::SkipDest}},
        {"company", {Kw::SkipDest}},
        {"bkmkstart", {Kw::SkipDest}},
        {"bkmkend", {Kw::SkipDest}},
        // Groups that are text, also when written with \*.
        {"shppict", {Kw::TextDest}},
        {"fldrslt", {Kw::TextDest}},
        {"result", {Kw::TextDest}},
        {"pntext", {Kw::TextDest}},
        {"listtext", {Kw::TextDest}},
        {"field", {Kw::TextDest}},
        {"shprslt", {Kw::TextDest}},
        {"ansi", {Kw::Ansi}},
        {"ansicpg", {Kw::AnsiCpg}},
        {"deff", {Kw::Deff}},
        {"plain", {Kw::Plain}},
        {"b", {Kw::Bold}},
        {"i", {Kw::Italic}},
        {"ul", {Kw::Underline}},
        {"uld", {Kw::Underline}},
        {"uldash", {Kw::Underline}},
        {"uldashd", {Kw::Underline}},
        {"uldashdd", {Kw::Underline}},
        {"uldb", {Kw::Underline}},
        {"ulth", {Kw::Underline}},
        {"ulw", {Kw::Underline}},
        {"ulwave", {Kw::Underline}},
        {"ulnone", {Kw::UnderlineNone}},
        {"strike", {Kw::Strike}},
        {"striked", {Kw::Strike}},
        {"v", {Kw::Hidden}},
        {"fs", {Kw::FontSize}},
        {"f", {Kw::Font}},
        {"cf", {Kw::Foreground}},
        {"highlight", {Kw::Background}},
        {"cb", {Kw::Background}},
        {"chcbpat", {Kw::Background}},
        {"sub", {Kw::Sub}},
        {"super", {Kw::Super}},
        {"nosupersub", {Kw::NoSuperSub}},
        {"uc", {Kw::Uc}},
        {"u", {Kw::U}},
        {"pard", {Kw::Pard}},
        {"ql", {Kw::AlignLeft}},
        {"qc", {Kw::AlignCentre}},
        {"qr", {Kw::AlignRight}},
        {"qj", {Kw::AlignJustify}},
        {"li", {Kw::LeftIndent}},
        {"ri", {Kw::RightIndent}},
        {"fi", {Kw::FirstIndent}},
        {"sb", {Kw::SpaceBefore}},
        {"sa", {Kw::SpaceAfter}},
        {"outlinelevel", {Kw::Outline}},
        {"tx", {Kw::TabStop}},
        {"tb", {Kw::TabStop}},
        {"par", {Kw::Par}},
        {"page", {Kw::Par}},
        {"sect", {Kw::Par}},
        {"line", {Kw::Line}},
        {"tab", {Kw::Tab}},
        {"cell", {Kw::Cell}},
        {"nestcell", {Kw::Cell}},
        {"row", {Kw::Row}},
        {"intbl", {Kw::InTable}},
        {"trowd", {Kw::RowDefaults}},
        {"cellx", {Kw::CellEdge}},
        {"fcharset", {Kw::FontCharset}},
        {"cpg", {Kw::FontCodePage}},
        {"red", {Kw::Red}},
        {"green", {Kw::Green}},
        {"blue", {Kw::Blue}},
        {"pngblip", {Kw::PngBlip}},
        {"jpegblip", {Kw::JpegBlip}},
        {"picwgoal", {Kw::PicWidthGoal}},
        {"pichgoal", {Kw::PicHeightGoal}},
        {"picscalex", {Kw::PicScaleX}},
        {"picscaley", {Kw::PicScaleY}},
        {"bin", {Kw::Bin}},
        {"bullet", {Kw::Symbol, u'\u2022'}},
        {"endash", {Kw::Symbol, u'\u2013'}},
        {"emdash", {Kw::Symbol, u'\u2014'}},
        {"lquote", {Kw::Symbol, u'\u2018'}},
        {"rquote", {Kw::Symbol, u'\u2019'}},
        {"ldblquote", {Kw::Symbol, u'\u201C'}},
        {"rdblquote", {Kw::Symbol, u'\u201D'}},
        {"enspace", {Kw::Symbol, u'\u2002'}},
        {"emspace", {Kw::Symbol, u'\u2003'}},
        {"qmspace", {Kw::Symbol, u'\u2005'}},
        {"zwj", {Kw::Symbol, u'\u200D'}},
        {"zwnj", {Kw::Symbol, u'\u200C'}},
        {"zwbo", {Kw::Symbol, u'\u200B'}},
    };
    return table;
}

// The Windows code page of a font's \fcharset.
int codePageOfCharset(std::int64_t charset) {
    switch (charset) {
    case 0:
        return 1252;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 163:
        return 1258;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 204:
        return 1251;
    case 238:
        return 1250;
    default:
        return 0;
    }
}

// The Symbol font's bullet, which Word and WordPad write as \'b7 in their list numbers.
char16_t fromSymbolFont(unsigned char byte) {
    return byte == 0xB7 ? u'\u2022' : decodeByte(1252, byte);
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

class Reader {
public:
    Reader(QByteArrayView data, QTextDocument& document) : data_(data), doc_(document), cursor_(&document) {}

    void run();

private:
    State& state() { return stack_.back(); }

    void openGroup();
    void closeGroup();
    void controlWord();
    void controlSymbol(char c);
    void applyKeyword(std::string_view name, bool hasParam, std::int64_t param);
    void byteChar(unsigned char byte);
    void hexByte(unsigned char byte);
    void character(char16_t c);
    void textChar(char16_t c);
    void fontTableChar(char16_t c);
    void colorTableChar(char16_t c);
    void pictureBytes(QByteArrayView bytes);
    void pictureHex(char c);
    void binary(std::int64_t count);

    void flushText();
    void endParagraph(const QList<QTextOption::Tab>& tabs = {});
    void endRow();
    void commitFont();
    void finishPicture();
    int codePage() const;
    bool symbolFont() const;
    QTextCharFormat charFormat(const CharProps& p) const;
    QTextBlockFormat blockFormat(const ParaProps& p) const;

    QByteArrayView data_;
    qsizetype pos_ = 0;
    QTextDocument& doc_;
    QTextCursor cursor_;

    std::vector<State> stack_;
    std::size_t excessDepth_ = 0; // groups beyond MaxKeptDepth, counted but not kept
    bool finished_ = false;

    int ansiCodePage_ = 1252;
    int defaultFont_ = 0;
    std::unordered_map<int, Font> fonts_;
    int pendingFontId_ = -1;
    Font pendingFont_;
    bool fontPending_ = false;

    QList<QColor> colors_;
    int red_ = 0, green_ = 0, blue_ = 0;
    bool colorSet_ = false;

    Picture picture_;
    bool inPicture_ = false;
    int pictureCount_ = 0;

    int fallbackLeft_ = 0;

    QString text_;
    CharProps textProps_;
    ParaProps paraProps_; // of the paragraph being written
    bool blockStarted_ = false;

    bool inRow_ = false;
    std::vector<int> cellEdges_; // right edges of the row's cells, twips
    int pendingTabs_ = 0;
    bool pendingCellBreak_ = false;
};

void Reader::run() {
    stack_.reserve(64);
    stack_.push_back(State{});
    const qsizetype n = data_.size();
    // The root group's brace is read here, so that the document ends when it closes.
    pos_ = 1;
    while (pos_ < n && !finished_) {
        const char c = data_[pos_];
        switch (c) {
        case '{':
            ++pos_;
            openGroup();
            break;
        case '}':
            ++pos_;
            closeGroup();
            break;
        case '\\':
            ++pos_;
            if (pos_ >= n) {
                break;
            }
            if (isLetter(data_[pos_])) {
                controlWord();
            } else {
                const char symbol = data_[pos_++];
                controlSymbol(symbol);
            }
            break;
        case '\r':
        case '\n':
            ++pos_;
            break;
        default:
            ++pos_;
            byteChar(static_cast<unsigned char>(c));
            break;
        }
    }
    // A document cut short still shows what it had: close every open group.
    while (!finished_) {
        closeGroup();
    }
    flushText();
    if (blockStarted_ || cursor_.block().length() > 1) {
        cursor_.setBlockFormat(blockFormat(paraProps_));
    }
}

void Reader::openGroup() {
    fallbackLeft_ = 0;
    if (stack_.size() >= MaxKeptDepth) {
        ++excessDepth_;
        return;
    }
    State next = state();
    next.starred = false;
    stack_.push_back(next);
}

void Reader::closeGroup() {
    fallbackLeft_ = 0;
    if (excessDepth_ > 0) {
        --excessDepth_;
        return;
    }
    const Dest dest = state().dest;
    if (dest == Dest::FontTable) {
        commitFont();
    }
    if (inPicture_ && stack_.size() == picture_.depth) {
        finishPicture();
    }
    if (stack_.size() <= 1) {
        finished_ = true;
        return;
    }
    stack_.pop_back();
    if (dest == Dest::FontTable && state().dest != Dest::FontTable) {
        pendingFontId_ = -1;
    }
}

void Reader::controlWord() {
    const qsizetype n = data_.size();
    const qsizetype start = pos_;
    while (pos_ < n && isLetter(data_[pos_])) {
        ++pos_;
    }
    // Names are at most 32 letters; a longer run is no word we know, and is read only once.
    const std::string_view name(data_.data() + start, std::size_t(pos_ - start));
    bool negative = false;
    bool hasParam = false;
    std::int64_t param = 0;
    if (pos_ < n && data_[pos_] == '-' && pos_ + 1 < n && isDigit(data_[pos_ + 1])) {
        negative = true;
        ++pos_;
    }
    while (pos_ < n && isDigit(data_[pos_])) {
        hasParam = true;
        param = std::min<std::int64_t>(param * 10 + (data_[pos_] - '0'), ParamLimit);
        ++pos_;
    }
    if (negative) {
        param = -param;
    }
    if (pos_ < n && data_[pos_] == ' ') {
        ++pos_;
    }
    applyKeyword(name, hasParam, param);
}

void Reader::controlSymbol(char c) {
    switch (c) {
    case '\'': {
        const qsizetype n = data_.size();
        const int high = pos_ < n ? hexValue(data_[pos_]) : -1;
        const int low = pos_ + 1 < n ? hexValue(data_[pos_ + 1]) : -1;
        if (high < 0 || low < 0) {
            return;
        }
        pos_ += 2;
        hexByte(static_cast<unsigned char>(high * 16 + low));
        return;
    }
    case '*':
        state().starred = true;
        return;
    case '~':
        character(u'\u00A0');
        return;
    case '-':
        character(u'\u00AD');
        return;
    case '_':
        character(u'\u2011');
        return;
    case '\\':
    case '{':
    case '}':
        character(char16_t(c));
        return;
    case '\r':
    case '\n':
        applyKeyword("par", false, 0);
        return;
    case '\t':
        applyKeyword("tab", false, 0);
        return;
    default:
        // \| \: and the rest are index and formula marks with nothing to show.
        return;
    }
}

void Reader::applyKeyword(std::string_view name, bool hasParam, std::int64_t param) {
    State& s = state();
    const auto& table = keywords();
    const auto it = table.find(name);
    if (it == table.end()) {
        // An unknown destination marked with \* is skipped whole; other unknown words are ignored.
        if (s.starred) {
            s.dest = Dest::Skip;
        }
        s.starred = false;
        if (fallbackLeft_ > 0) {
            --fallbackLeft_;
        }
        return;
    }
    s.starred = false;
    const Kw kw = it->second.kw;
    if (kw == Kw::Bin) {
        binary(hasParam ? param : 0);
        return;
    }
    if (s.dest == Dest::Skip) {
        return;
    }
    if (fallbackLeft_ > 0 && kw != Kw::U) {
        --fallbackLeft_;
        return;
    }
    const int value = static_cast<int>(param);
    const bool on = !hasParam || param != 0;
    CharProps& c = s.chr;
    ParaProps& p = s.para;
    switch (kw) {
    case Kw::FontTable:
        s.dest = Dest::FontTable;
        pendingFontId_ = -1;
        return;
    case Kw::ColorTable:
        s.dest = Dest::ColorTable;
        colors_.clear();
        colorSet_ = false;
        return;
    case Kw::Pict:
        if (s.dest == Dest::Text && !inPicture_) {
            s.dest = Dest::Picture;
            picture_ = Picture{};
            picture_.depth = stack_.size();
            inPicture_ = true;
        } else {
            s.dest = Dest::Skip;
        }
        return;
    case Kw::SkipDest:
        s.dest = Dest::Skip;
        return;
    case Kw::TextDest:
        return;
    case Kw::Ansi:
        ansiCodePage_ = 1252;
        return;
    case Kw::AnsiCpg:
        ansiCodePage_ = value;
        return;
    case Kw::Deff:
        defaultFont_ = value;
        return;
    case Kw::Plain:
        c = CharProps{};
        return;
    case Kw::Bold:
        c.bold = on;
        return;
    case Kw::Italic:
        c.italic = on;
        return;
    case Kw::Underline:
        c.underline = on;
        return;
    case Kw::UnderlineNone:
        c.underline = false;
        return;
    case Kw::Strike:
        c.strike = on;
        return;
    case Kw::Hidden:
        c.hidden = on;
        return;
    case Kw::FontSize:
        c.halfPoints = value > 0 ? std::min(value, 3276) : 24;
        return;
    case Kw::Font:
        if (s.dest == Dest::FontTable) {
            commitFont();
            pendingFontId_ = value;
            pendingFont_ = Font{};
            fontPending_ = true;
        } else {
            c.font = value;
        }
        return;
    case Kw::Foreground:
        c.foreground = value;
        return;
    case Kw::Background:
        c.background = value;
        return;
    case Kw::Sub:
        c.vertical = -1;
        return;
    case Kw::Super:
        c.vertical = 1;
        return;
    case Kw::NoSuperSub:
        c.vertical = 0;
        return;
    case Kw::Uc:
        s.unicodeSkip = std::clamp(value, 0, 16);
        return;
    case Kw::U: {
        // The parameter is a signed 16-bit number; negative ones stand for code units above 32767.
        const int unit = int(((param % 65536) + 65536) % 65536);
        fallbackLeft_ = 0;
        character(char16_t(unit));
        fallbackLeft_ = s.unicodeSkip;
        return;
    }
    case Kw::Pard:
        p = ParaProps{};
        return;
    case Kw::AlignLeft:
        p.align = 0;
        return;
    case Kw::AlignCentre:
        p.align = 1;
        return;
    case Kw::AlignRight:
        p.align = 2;
        return;
    case Kw::AlignJustify:
        p.align = 3;
        return;
    case Kw::LeftIndent:
        p.leftIndent = value;
        return;
    case Kw::RightIndent:
        p.rightIndent = value;
        return;
    case Kw::FirstIndent:
        p.firstIndent = value;
        return;
    case Kw::SpaceBefore:
        p.spaceBefore = value;
        return;
    case Kw::SpaceAfter:
        p.spaceAfter = value;
        return;
    case Kw::Outline:
        p.outline = std::clamp(value, 0, 8);
        return;
    case Kw::TabStop:
        if (p.tabCount < p.tabStops.size() && (p.tabCount == 0 || value > p.tabStops[p.tabCount - 1])) {
            p.tabStops[p.tabCount++] = value;
        }
        return;
    case Kw::Par:
        if (s.dest == Dest::Text) {
            paraProps_ = p;
            if (inRow_) {
                // A paragraph ending a cell ends with the cell; one in the middle breaks the line.
                pendingCellBreak_ = true;
            } else {
                endParagraph();
            }
        }
        return;
    case Kw::Line:
        character(u'\u2028');
        return;
    case Kw::Tab:
        character(u'\t');
        return;
    case Kw::Cell:
        if (s.dest == Dest::Text) {
            inRow_ = true;
            pendingCellBreak_ = false;
            ++pendingTabs_;
        }
        return;
    case Kw::Row:
        if (s.dest == Dest::Text) {
            endRow();
        }
        return;
    case Kw::InTable:
        if (s.dest == Dest::Text) {
            inRow_ = true;
        }
        return;
    case Kw::RowDefaults:
        if (s.dest == Dest::Text) {
            inRow_ = true;
            cellEdges_.clear();
        }
        return;
    case Kw::CellEdge:
        // A row has at most 63 cells; more edges than that are not a table anyone wrote.
        if (s.dest == Dest::Text && cellEdges_.size() < 64) {
            cellEdges_.push_back(std::clamp(value, 0, 31680));
        }
        return;
    case Kw::FontCharset:
        if (fontPending_) {
            const int cp = codePageOfCharset(param);
            pendingFont_.symbol = param == 2;
            if (cp != 0 && pendingFont_.codePage == 0) {
                pendingFont_.codePage = cp;
            }
        }
        return;
    case Kw::FontCodePage:
        if (fontPending_ && knowsCodePage(value)) {
            pendingFont_.codePage = value;
        }
        return;
    case Kw::Red:
        red_ = std::clamp(value, 0, 255);
        colorSet_ = true;
        return;
    case Kw::Green:
        green_ = std::clamp(value, 0, 255);
        colorSet_ = true;
        return;
    case Kw::Blue:
        blue_ = std::clamp(value, 0, 255);
        colorSet_ = true;
        return;
    case Kw::PngBlip:
    case Kw::JpegBlip:
        if (s.dest == Dest::Picture) {
            picture_.supported = true;
        }
        return;
    case Kw::PicWidthGoal:
        picture_.widthGoal = std::clamp(value, 0, 1'000'000);
        return;
    case Kw::PicHeightGoal:
        picture_.heightGoal = std::clamp(value, 0, 1'000'000);
        return;
    case Kw::PicScaleX:
        picture_.scaleX = std::clamp(value, 1, 1000);
        return;
    case Kw::PicScaleY:
        picture_.scaleY = std::clamp(value, 1, 1000);
        return;
    case Kw::Symbol:
        character(it->second.ch);
        return;
    case Kw::Bin:
        return;
    }
}

void Reader::binary(std::int64_t count) {
    // Binary data is consumed whatever the destination; a count past the end takes the rest.
    const qsizetype available = data_.size() - pos_;
    const qsizetype take = qsizetype(std::clamp<std::int64_t>(count, 0, available));
    if (state().dest == Dest::Picture && excessDepth_ == 0) {
        pictureBytes(data_.sliced(pos_, take));
    }
    pos_ += take;
    fallbackLeft_ = 0;
}

void Reader::byteChar(unsigned char byte) {
    const Dest dest = state().dest;
    if (dest == Dest::Skip) {
        return;
    }
    if (dest == Dest::Picture) {
        pictureHex(char(byte));
        return;
    }
    if (byte == '\t') {
        character(u'\t');
        return;
    }
    if (byte < 0x20) {
        return;
    }
    hexByte(byte);
}

void Reader::hexByte(unsigned char byte) {
    if (state().dest == Dest::FontTable || state().dest == Dest::ColorTable) {
        character(decodeByte(ansiCodePage_, byte));
        return;
    }
    character(symbolFont() ? fromSymbolFont(byte) : decodeByte(codePage(), byte));
}

void Reader::character(char16_t c) {
    if (fallbackLeft_ > 0) {
        --fallbackLeft_;
        return;
    }
    switch (state().dest) {
    case Dest::Text:
        textChar(c);
        return;
    case Dest::FontTable:
        fontTableChar(c);
        return;
    case Dest::ColorTable:
        colorTableChar(c);
        return;
    case Dest::Picture:
    case Dest::Skip:
        return;
    }
}

void Reader::textChar(char16_t c) {
    const State& s = state();
    if (s.chr.hidden) {
        return;
    }
    if (pendingCellBreak_) {
        pendingCellBreak_ = false;
        if (pendingTabs_ == 0) {
            if (!text_.isEmpty() || cursor_.block().length() > 1) {
                text_ += u'\u2028';
            }
        }
    }
    if (pendingTabs_ > 0) {
        text_ += QString(pendingTabs_, u'\t');
        pendingTabs_ = 0;
    }
    if (!(s.chr == textProps_)) {
        flushText();
        textProps_ = s.chr;
    }
    if (!blockStarted_) {
        blockStarted_ = true;
        paraProps_ = s.para;
    }
    text_ += QChar(c);
}

void Reader::fontTableChar(char16_t c) {
    if (!fontPending_) {
        return;
    }
    if (c == u';') {
        commitFont();
        return;
    }
    if (pendingFont_.name.size() < 256) {
        pendingFont_.name += QChar(c);
    }
}

void Reader::colorTableChar(char16_t c) {
    if (c != u';') {
        return;
    }
    colors_.append(colorSet_ ? QColor(red_, green_, blue_) : QColor());
    red_ = green_ = blue_ = 0;
    colorSet_ = false;
}

void Reader::commitFont() {
    if (!fontPending_) {
        return;
    }
    fontPending_ = false;
    pendingFont_.name = pendingFont_.name.trimmed();
    fonts_[pendingFontId_] = pendingFont_;
}

void Reader::pictureHex(char c) {
    const int v = hexValue(c);
    if (v < 0) {
        return;
    }
    if (picture_.nibble < 0) {
        picture_.nibble = v;
    } else {
        picture_.bytes.append(char(picture_.nibble * 16 + v));
        picture_.nibble = -1;
    }
}

void Reader::pictureBytes(QByteArrayView bytes) {
    picture_.bytes.append(bytes);
}

void Reader::finishPicture() {
    inPicture_ = false;
    Picture pic = std::move(picture_);
    picture_ = Picture{};
    if (!pic.supported || pic.bytes.isEmpty()) {
        return;
    }
    const QImage image = QImage::fromData(pic.bytes);
    if (image.isNull()) {
        return;
    }
    flushText();
    if (pendingTabs_ > 0) {
        cursor_.insertText(QString(pendingTabs_, u'\t'));
        pendingTabs_ = 0;
    }
    const QString name = QStringLiteral("rtf-picture:%1").arg(++pictureCount_);
    doc_.addResource(QTextDocument::ImageResource, QUrl(name), image);
    QTextImageFormat format;
    format.setName(name);
    double width = image.width();
    double height = image.height();
    if (pic.widthGoal > 0 && pic.heightGoal > 0) {
        width = twips::toPixelsF(double(pic.widthGoal) * pic.scaleX / 100.0);
        height = twips::toPixelsF(double(pic.heightGoal) * pic.scaleY / 100.0);
    }
    format.setWidth(width);
    format.setHeight(height);
    if (!blockStarted_) {
        blockStarted_ = true;
        paraProps_ = state().para;
    }
    cursor_.insertImage(format);
}

void Reader::flushText() {
    if (text_.isEmpty()) {
        return;
    }
    cursor_.insertText(text_, charFormat(textProps_));
    text_.clear();
}

void Reader::endParagraph(const QList<QTextOption::Tab>& tabs) {
    pendingCellBreak_ = false;
    pendingTabs_ = 0;
    flushText();
    QTextBlockFormat format = blockFormat(paraProps_);
    if (!tabs.isEmpty()) {
        format.setTabPositions(tabs);
    }
    cursor_.setBlockFormat(format);
    cursor_.insertBlock();
    blockStarted_ = false;
}

void Reader::endRow() {
    // The cells are tab-separated; a tab stop at each cell's left edge lines the columns up.
    QList<QTextOption::Tab> tabs;
    for (std::size_t i = 0; i + 1 < cellEdges_.size(); ++i) {
        const double at = twips::toPixelsF(cellEdges_[i]);
        if (at > 0 && (tabs.isEmpty() || at > tabs.last().position)) {
            tabs.append(QTextOption::Tab(at, QTextOption::LeftTab));
        }
    }
    inRow_ = false;
    endParagraph(tabs);
}

int Reader::codePage() const {
    const int id = stack_.back().chr.font < 0 ? defaultFont_ : stack_.back().chr.font;
    const auto it = fonts_.find(id);
    if (it != fonts_.end() && it->second.codePage != 0) {
        return it->second.codePage;
    }
    return ansiCodePage_;
}

bool Reader::symbolFont() const {
    const int id = stack_.back().chr.font < 0 ? defaultFont_ : stack_.back().chr.font;
    const auto it = fonts_.find(id);
    return it != fonts_.end() && it->second.symbol;
}

QTextCharFormat Reader::charFormat(const CharProps& p) const {
    QTextCharFormat f;
    const int id = p.font < 0 ? defaultFont_ : p.font;
    if (const auto it = fonts_.find(id);
        it != fonts_.end() && !it->second.symbol && !it->second.name.isEmpty()) {
        f.setFontFamilies({it->second.name});
    }
    f.setFontPointSize(p.halfPoints / 2.0);
    if (p.bold) {
        f.setFontWeight(QFont::Bold);
    }
    f.setFontItalic(p.italic);
    f.setFontUnderline(p.underline);
    f.setFontStrikeOut(p.strike);
    if (p.foreground > 0 && p.foreground < colors_.size() && colors_[p.foreground].isValid()) {
        f.setForeground(colors_[p.foreground]);
    }
    if (p.background > 0 && p.background < colors_.size() && colors_[p.background].isValid()) {
        f.setBackground(colors_[p.background]);
    }
    if (p.vertical != 0) {
        f.setVerticalAlignment(p.vertical < 0 ? QTextCharFormat::AlignSubScript
                                              : QTextCharFormat::AlignSuperScript);
    }
    return f;
}

QTextBlockFormat Reader::blockFormat(const ParaProps& p) const {
    QTextBlockFormat f;
    static constexpr Qt::Alignment aligns[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight,
                                               Qt::AlignJustify};
    f.setAlignment(aligns[p.align]);
    f.setLeftMargin(twips::toPixelsF(p.leftIndent));
    f.setRightMargin(twips::toPixelsF(p.rightIndent));
    f.setTextIndent(twips::toPixelsF(p.firstIndent));
    f.setTopMargin(twips::toPixelsF(p.spaceBefore));
    f.setBottomMargin(twips::toPixelsF(p.spaceAfter));
    if (p.outline >= 0) {
        f.setHeadingLevel(p.outline + 1);
    }
    // Both Qt and RTF measure tab stops from the margin, not from the paragraph's indent.
    QList<QTextOption::Tab> tabs;
    for (std::size_t i = 0; i < p.tabCount; ++i) {
        tabs.append(QTextOption::Tab(twips::toPixelsF(p.tabStops[i]), QTextOption::LeftTab));
    }
    if (!tabs.isEmpty()) {
        f.setTabPositions(tabs);
    }
    return f;
}

} // namespace

bool read(QByteArrayView data, QTextDocument& document) {
    document.clear();
    qsizetype start = 0;
    while (start < data.size() &&
           (data[start] == ' ' || data[start] == '\r' || data[start] == '\n' || data[start] == '\t')) {
        ++start;
    }
    data = data.sliced(start);
    if (!data.startsWith("{\\rtf")) {
        return false;
    }
    Reader reader(data, document);
    reader.run();
    return true;
}

} // namespace rtf
