#include "support/logcapture.h"

#include <QMutex>
#include <QMutexLocker>

namespace {

// The capture that receives messages now; an inner capture hides an outer one.
LogCapture* g_current = nullptr;
QMutex g_mutex;

} // namespace

LogCapture::LogCapture(const char* category) : m_category(category) {
    const QMutexLocker lock(&g_mutex);
    m_outer = g_current;
    g_current = this;
    m_previous = qInstallMessageHandler(&LogCapture::handle);
    if (m_previous == &LogCapture::handle) {
        m_previous = m_outer->m_previous;
    }
}

LogCapture::~LogCapture() {
    const QMutexLocker lock(&g_mutex);
    g_current = m_outer;
    qInstallMessageHandler(m_previous);
}

QStringList LogCapture::lines() const {
    const QMutexLocker lock(&g_mutex);
    return m_lines;
}

QStringList LogCapture::linesWithCategory() const {
    const QMutexLocker lock(&g_mutex);
    QStringList result;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        result << m_categories[i] + QStringLiteral(": ") + m_lines[i];
    }
    return result;
}

QStringList LogCapture::linesOf(QtMsgType type) const {
    const QMutexLocker lock(&g_mutex);
    QStringList result;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        if (m_types[i] == type) {
            result << m_lines[i];
        }
    }
    return result;
}

void LogCapture::clear() {
    const QMutexLocker lock(&g_mutex);
    m_lines.clear();
    m_categories.clear();
    m_types.clear();
}

void LogCapture::handle(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    QtMessageHandler previous = nullptr;
    {
        const QMutexLocker lock(&g_mutex);
        if (!g_current) {
            return;
        }
        LogCapture& capture = *g_current;
        previous = capture.m_previous;
        if (type != QtDebugMsg && context.category &&
            QByteArrayView(context.category).startsWith(QByteArrayView(capture.m_category))) {
            capture.m_lines << text;
            capture.m_categories << QString::fromLatin1(context.category);
            capture.m_types << type;
        }
    }
    if (previous) {
        previous(type, context, text);
    }
}
