#pragma once

// What the program logs while a test runs, for the tests that count log lines.

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// Collects, for its lifetime, the information, warnings and worse logged in every category whose
// name starts with `category` ("ravenmark.settings", or "ravenmark." for all of ours).
// Every message still goes on to the handler before it. Safe to log into from any thread.
class LogCapture {
public:
    explicit LogCapture(const char* category = "ravenmark.");
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // The texts, in order.
    QStringList lines() const;
    // "category: text", in order.
    QStringList linesWithCategory() const;
    // The texts logged at that level (QtInfoMsg, QtWarningMsg …), in order.
    QStringList linesOf(QtMsgType type) const;
    void clear();

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text);

    QByteArray m_category;
    QtMessageHandler m_previous = nullptr;
    LogCapture* m_outer = nullptr;
    QStringList m_lines;
    QStringList m_categories;
    QList<QtMsgType> m_types;
};
