#include "options/optionsrules.h"

#include "platform/twips.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QUrl>
#include <QUrlQuery>
#include <limits>

namespace options {

QString KeyCodeToStr(int keyCode) {
    if (keyCode >= 'A' && keyCode <= 'Z') {
        return QString(QChar(keyCode));
    }
    // F5 to F9, F11 and F12: F1 to F4 and F10 are the program's own keys.
    if ((keyCode >= 116 && keyCode <= 120) || keyCode == 122 || keyCode == 123) {
        return QStringLiteral("F%1").arg(keyCode - 111);
    }
    switch (keyCode) {
    case 8:
        return QStringLiteral("Backspace");
    case 17:
        return QStringLiteral("Ctrl");
    case 19:
        return QStringLiteral("Pause/Break");
    case 33:
        return QStringLiteral("Page Up");
    case 34:
        return QStringLiteral("Page Down");
    case 35:
        return QStringLiteral("End");
    case 36:
        return QStringLiteral("Home");
    case 45:
        return QStringLiteral("Insert");
    case 46:
        return QStringLiteral("Delete");
    case 106:
        return QStringLiteral("Numpad *");
    case 111:
        return QStringLiteral("Numpad /");
    case 186:
        return QStringLiteral(";");
    case 188:
        return QStringLiteral(",");
    case 191:
        return QStringLiteral("/");
    case 192:
        return QStringLiteral("`");
    case 219:
        return QStringLiteral("[");
    case 220:
        return QStringLiteral("\\");
    case 221:
        return QStringLiteral("]");
    case 222:
        return QStringLiteral("\"");
    default:
        return {};
    }
}

QString fileCaption(const QString& path) {
    if (path.isEmpty()) {
        return QStringLiteral("[No File Selected]");
    }
    if (path.size() <= WholePathLimit) {
        return path;
    }
    const QFileInfo file(path);
    const QString name = file.isFile() ? file.fileName() : QString();
    return path.left(10) + QStringLiteral(" ...") + QDir::separator() + name;
}

QFont teamNameFont(int points) {
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setBold(true);
    font.setPointSize(points);
    return font;
}

QSize nameExtentTwips(const QFont& font, const QString& text) {
    constexpr int BorderPixels = 2; // one pixel each side
    const QFontMetrics metrics(font);
    const QSize pixels =
        text.isEmpty() ? QSize(0, 0) : QSize(metrics.horizontalAdvance(text), metrics.height());
    return {int(twips::fromPixels(pixels.width() + BorderPixels)),
            int(twips::fromPixels(pixels.height() + BorderPixels))};
}

int teamNameSize(const QString& home, const QString& visitor) {
    const auto fits = [](const QSize& extent) {
        return extent.width() < NameWidthLimit && extent.height() < NameHeightLimit;
    };
    for (int points = LargestNameSize; points > SmallestNameSize; --points) {
        const QFont font = teamNameFont(points);
        if (fits(nameExtentTwips(font, home)) && fits(nameExtentTwips(font, visitor))) {
            return points;
        }
    }
    return SmallestNameSize;
}

std::int16_t tempSizeFrom(Currency teamSize) {
    const std::int64_t whole = teamSize.roundHalfEven();
    constexpr std::int64_t low = std::numeric_limits<std::int16_t>::min();
    constexpr std::int64_t high = std::numeric_limits<std::int16_t>::max();
    return static_cast<std::int16_t>(whole < low ? low : (whole > high ? high : whole));
}

FeedUrls feedUrls(const SettingsRecord& s, const QString& host) {
    QUrl base;
    base.setScheme(QStringLiteral("http"));
    base.setHost(s.FeedNetwork ? host : QStringLiteral("127.0.0.1"));
    base.setPort(FeedPortRange.clamp(s.FeedPort));
    if (s.FeedNetwork) {
        QUrlQuery query;
        query.addQueryItem(QStringLiteral("token"), s.FeedToken);
        base.setQuery(query);
    }
    const auto at = [&base](const QString& path, const QString& scheme = QStringLiteral("http")) {
        QUrl url = base;
        url.setScheme(scheme);
        url.setPath(path);
        return url.toString(QUrl::FullyEncoded);
    };
    return {at(QStringLiteral("/overlay")), at(QStringLiteral("/board")), at(QStringLiteral("/state")),
            at(QStringLiteral("/feed"), QStringLiteral("ws"))};
}

} // namespace options
