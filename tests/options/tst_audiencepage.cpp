#include "options/audiencepage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QTest>

// The audience page keeps the chosen screen by what it is, not by where it is in the list.
class TestAudiencePage : public QObject {
    Q_OBJECT

private slots:
    void screenChoice_data();
    void screenChoice();
    void openAtStart_data();
    void openAtStart();
};

namespace {

const ScreenInfo Laptop{{QStringLiteral("eDP-1"), QStringLiteral("BOE 0x0A1C"), QStringLiteral("0")},
                        {1920, 1080}};
const ScreenInfo Projector{{QStringLiteral("HDMI-1"), QStringLiteral("EPSON PJ"), QStringLiteral("X4K1")},
                           {3840, 2160}};
const ScreenInfo Television{{QStringLiteral("HDMI-1"), QStringLiteral("LG TV"), QStringLiteral("77")},
                            {1920, 1080}};

// The page on a record, with the screens connected now.
struct Page {
    OptionsContext context;
    std::unique_ptr<AudiencePage> page;
    QComboBox* list = nullptr;
    QCheckBox* openAtStart = nullptr;

    Page(const QList<ScreenInfo>& screens, const SettingsRecord& record) {
        context.env.screens = [screens] {
            return screens;
        };
        page = std::make_unique<AudiencePage>(context);
        list = page->findChild<QComboBox*>(QStringLiteral("cmbScreen"));
        openAtStart = page->findChild<QCheckBox*>(QStringLiteral("chkOpenAtStart"));
        page->load(record);
    }
    SettingsRecord saved() const {
        SettingsRecord r;
        page->save(r);
        return r;
    }
};

SettingsRecord choosing(const ScreenIdentity& screen) {
    SettingsRecord r;
    r.Screen = screen.name;
    r.ScreenModel = screen.model;
    r.ScreenSerial = screen.serial;
    return r;
}

ScreenIdentity savedScreen(const SettingsRecord& r) {
    return {r.Screen, r.ScreenModel, r.ScreenSerial};
}

} // namespace

void TestAudiencePage::screenChoice_data() {
    QTest::addColumn<ScreenIdentity>("stored");
    QTest::addColumn<QList<ScreenInfo>>("connected");
    QTest::addColumn<QString>("shown");        // the entry selected when the page opens
    QTest::addColumn<int>("pick");             // then picked by the operator; -1: left alone
    QTest::addColumn<ScreenIdentity>("saved"); // what OK stores

    QTest::newRow("renumbered: found by name, not by place")
        << Projector.identity << QList{Projector, Laptop} << "HDMI-1, EPSON PJ, 3840 × 2160" << -1
        << Projector.identity;
    QTest::newRow("unplugged: kept, and said so")
        << Projector.identity << QList{Laptop} << "HDMI-1 (not connected)" << -1 << Projector.identity;
    QTest::newRow("another monitor on its output is not it")
        << Projector.identity << QList{Laptop, Television} << "HDMI-1 (not connected)" << -1
        << Projector.identity;
    QTest::newRow("picking another monitor stores what it reports")
        << Projector.identity << QList{Laptop, Television} << "HDMI-1 (not connected)" << 2
        << Television.identity;
    QTest::newRow("None clears all three") << Projector.identity << QList{Laptop, Projector}
                                           << "HDMI-1, EPSON PJ, 3840 × 2160" << 0 << ScreenIdentity{};
}

void TestAudiencePage::screenChoice() {
    QFETCH(ScreenIdentity, stored);
    QFETCH(QList<ScreenInfo>, connected);
    QFETCH(QString, shown);
    QFETCH(int, pick);
    QFETCH(ScreenIdentity, saved);

    Page page(connected, choosing(stored));
    QCOMPARE(page.list->currentText(), shown);
    if (pick >= 0) {
        page.list->setCurrentIndex(pick);
    }
    const ScreenIdentity result = savedScreen(page.saved());
    QCOMPARE(result.name, saved.name);
    QCOMPARE(result.model, saved.model);
    QCOMPARE(result.serial, saved.serial);
}

void TestAudiencePage::openAtStart_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("checked");
    QTest::newRow("Yes") << "Yes" << true;
    QTest::newRow("garbled counts as No") << "yes please" << false;
}

void TestAudiencePage::openAtStart() {
    QFETCH(QString, stored);
    QFETCH(bool, checked);
    SettingsRecord r;
    r.OpenAtStart = stored;
    Page page({Laptop}, r);
    QCOMPARE(page.openAtStart->isChecked(), checked);
    // OK writes one of the two words the store knows.
    QCOMPARE(page.saved().OpenAtStart, checked ? QStringLiteral("Yes") : QStringLiteral("No"));
    page.openAtStart->click();
    QCOMPARE(page.saved().OpenAtStart, checked ? QStringLiteral("No") : QStringLiteral("Yes"));
}

QTEST_MAIN(TestAudiencePage)
#include "tst_audiencepage.moc"
