#pragma once

#include "settings/settings.h"

#include <QColor>
#include <QList>
#include <QLoggingCategory>
#include <QString>
#include <deque>
#include <functional>
#include <optional>

class QWidget;
class SoundDevice;

Q_DECLARE_LOGGING_CATEGORY(lcOptions)

// Picks a colour or a file for the options dialog. The Qt one shows QColorDialog and
// QFileDialog unless an answer has been queued, so tests answer without a window.
class OptionsChooser {
public:
    virtual ~OptionsChooser() = default;
    // The chosen colour; nullopt when the operator cancelled.
    virtual std::optional<QColor> chooseColor(QWidget* parent, const QColor& initial) = 0;
    // The chosen existing file; empty when the operator cancelled. `filter` is in Qt's
    // syntax, `startFile` the file the dialog opens on (empty for none).
    virtual QString chooseFile(QWidget* parent, const QString& filter, const QString& startFile) = 0;
};

class QtOptionsChooser : public OptionsChooser {
public:
    std::optional<QColor> chooseColor(QWidget* parent, const QColor& initial) override;
    QString chooseFile(QWidget* parent, const QString& filter, const QString& startFile) override;

    // The next chooseColor answers this without showing anything (nullopt: cancelled).
    void setNextColor(std::optional<QColor> color) { m_nextColors.push_back(color); }
    // The next chooseFile answers this without showing anything (empty: cancelled).
    void setNextFileName(const QString& fileName) { m_nextFiles.push_back(fileName); }

    // What the last chooseFile was asked for.
    QString lastFilter() const { return m_lastFilter; }
    QString lastStartFile() const { return m_lastStartFile; }
    QColor lastInitialColor() const { return m_lastInitial; }

private:
    std::deque<std::optional<QColor>> m_nextColors;
    std::deque<QString> m_nextFiles;
    QString m_lastFilter;
    QString m_lastStartFile;
    QColor m_lastInitial;
};

// Questions and warnings of the options dialog.
class OptionsMessages {
public:
    virtual ~OptionsMessages() = default;
    // A question icon with Yes and No; true for Yes.
    virtual bool askYesNo(QWidget* parent, const QString& title, const QString& text) = 0;
    virtual void warn(QWidget* parent, const QString& title, const QString& text) = 0;
};

class QtOptionsMessages : public OptionsMessages {
public:
    struct Shown {
        QString title;
        QString text;
        bool question = false;
    };

    bool askYesNo(QWidget* parent, const QString& title, const QString& text) override;
    void warn(QWidget* parent, const QString& title, const QString& text) override;

    // The next question is answered so without showing a box.
    void setNextAnswer(bool yes) { m_nextAnswers.push_back(yes); }
    // Warnings are recorded only, without a box.
    void setSilent(bool silent) { m_silent = silent; }
    // Every question and warning so far, shown or answered.
    const QList<Shown>& shown() const { return m_shown; }

private:
    std::deque<bool> m_nextAnswers;
    QList<Shown> m_shown;
    bool m_silent = false;
};

// What OK hands back: whether the store took the new settings, and where it lives.
struct CommitResult {
    bool saved = true;
    QString location;
};

// The options dialog's ties to the rest of the program. Every member may stay empty: the
// dialog then uses the Qt choosers and message boxes, commits nowhere, leaves NumLock
// alone and checks sounds with the buzzer's own decoder.
struct OptionsEnvironment {
    OptionsChooser* chooser = nullptr;   // not owned
    OptionsMessages* messages = nullptr; // not owned
    // Puts the record in force and writes the store.
    std::function<CommitResult(const SettingsRecord&)> commit;
    std::function<void(bool on)> setNumLock;
    // Whether a chosen file can be played as the buzzer; if not, why, in `why`.
    std::function<bool(const QString& path, QString* why)> checkSound;
    // The device "Test" plays the staged sound on, made on the first call (it costs an audio
    // thread and a server connection); not owned. Unset or null: "Test" stays silent.
    std::function<SoundDevice*()> previewSound;
};

namespace options {

// Whether `path` is a wave file the buzzer can read; if not, why, in `why`.
bool isPlayableSound(const QString& path, QString* why);

} // namespace options
