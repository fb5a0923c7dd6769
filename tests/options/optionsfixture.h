#pragma once

#include "options/frmoptions.h"
#include "options/optionsenvironment.h"
#include "options/optionsrules.h"
#include "settings/settings.h"
#include "settings/settingsstore.h"

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <functional>
#include <memory>

// An options dialog whose choosers, message boxes, commit and NumLock are all answered
// and recorded here, so no test shows a window it cannot close.
struct OptionsFixture {
    QtOptionsChooser chooser;
    QtOptionsMessages messages;
    QList<SettingsRecord> commits;
    QList<bool> numLocks;
    CommitResult commitResult;
    std::unique_ptr<frmOptions> dialog;

    static SettingsRecord defaults() {
        SettingsRecord record;
        LoadSettings(MemorySettingsStore(), record, QStringLiteral("/opt/ravenmark"));
        return record;
    }

    // `previewSound`: the device the dialog's Test buttons play on.
    explicit OptionsFixture(const SettingsRecord& record = defaults(),
                            std::function<SoundDevice*()> previewSound = {}) {
        messages.setSilent(true);
        OptionsEnvironment env;
        env.chooser = &chooser;
        env.messages = &messages;
        env.previewSound = std::move(previewSound);
        env.commit = [this](const SettingsRecord& r) {
            commits.append(r);
            return commitResult;
        };
        env.setNumLock = [this](bool on) {
            numLocks.append(on);
        };
        dialog = std::make_unique<frmOptions>(record, std::move(env));
    }

    // Shows the dialog and makes it the active window, so focus moves as it would for the operator.
    bool showActive() {
        dialog->show();
        QApplication::setActiveWindow(dialog.get());
        return QTest::qWaitForWindowActive(dialog.get());
    }

    template <typename T = QWidget> T* child(const QString& name) const {
        return dialog->findChild<T*>(name);
    }
    QLabel* label(const QString& name) const { return child<QLabel>(name); }
    int tag(const QString& name) const { return label(name)->property("tag").toString().toInt(); }
    bool waitingColour(const QString& name) const {
        return label(name)->palette().color(QPalette::Window) == frmOptions::waitingKeyColor();
    }
};
