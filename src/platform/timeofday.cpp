#include "platform/timeofday.h"

#include <QLocale>

namespace timeofday {

bool usesTwelveHourClock(const QString& format) {
    bool quoted = false;
    for (QChar c : format) {
        if (c == u'\'') {
            quoted = !quoted;
        } else if (!quoted && (c == u'a' || c == u'A')) {
            return true;
        }
    }
    return false;
}

bool systemUsesTwelveHourClock() {
    return usesTwelveHourClock(QLocale::system().timeFormat(QLocale::ShortFormat));
}

} // namespace timeofday
