#include <QtTest>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSpinBox>

#include "app_test_support.h"
#include "parameter_bar.h"

namespace {

QVariant stored(const QString& key)
{
    QSettings store("VANTREL", "Tolvane");
    return store.value(key);
}

// Empties the store completely (no first-start flag either).
void clearSettings()
{
    QSettings store("VANTREL", "Tolvane");
    store.clear();
    store.sync();
}

}  // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void emptyStore();
    void processorCodes_data();
    void processorCodes();
    void qualityCodes_data();
    void qualityCodes();
    void presetBlurSizeIgnoresStoredSizes();
    void customBlurSize();
    void blurSizeOutsideTheList();
    void writtenAtExit();
    void customSizesSurviveAPreset();

private:
    QTemporaryDir dir;
};

void TestSettings::initTestCase()
{
    QVERIFY(dir.isValid());
    QVERIFY(redirectSettings(dir));
}

void TestSettings::emptyStore()
{
    clearSettings();
    {
        Clarnex w;
        auto& a = Access::actions(w);
        QVERIFY(a.autoAction->isChecked());
        QVERIFY(a.lowAction->isChecked());
        QCOMPARE(Access::quality(w), 1u);
        ParameterBar* bar = Access::bar(w);
        QCOMPARE(bar->blurStrengthCombo->currentIndex(), 0);
        QVERIFY(bar->heightSpin->isHidden());
        QVERIFY(bar->widthLabel->isHidden());
        QCOMPARE(bar->heightSpin->value(), 3);
        QCOMPARE(bar->widthSpin->value(), 3);
        QVERIFY(bar->deringCheck->isChecked());
        QVERIFY(!bar->denoiseCheck->isChecked());
        QVERIFY(Access::isFirst(w));

        // The first show starts the tutorial.
        w.showWindow();
        QVERIFY(Access::tutorialRunning(w));
        QVERIFY(Access::wizard(w));
    }
    QCOMPARE(stored("flag/isFirst").toBool(), false);

    // After one exit the tutorial no longer starts by itself.
    Clarnex again;
    QVERIFY(!Access::isFirst(again));
    again.showWindow();
    QVERIFY(!Access::tutorialRunning(again));
}

void TestSettings::processorCodes_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("checked");  // 0 Auto, 1 CPU, 2 GPU
    QTest::newRow("auto") << 0 << 0;
    QTest::newRow("cpu") << 1 << 1;
    QTest::newRow("gpu") << 2 << 2;
    QTest::newRow("unknown") << 7 << 0;
}

void TestSettings::processorCodes()
{
    QFETCH(int, code);
    QFETCH(int, checked);
    resetSettings({{"processor", code}});
    Clarnex w;
    auto& a = Access::actions(w);
    const QList<QAction*> choices = {a.autoAction, a.cpuAction, a.gpuAction};
    for (int i = 0; i < 3; ++i) QCOMPARE(choices[i]->isChecked(), i == checked);
}

void TestSettings::qualityCodes_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("quality");
    QTest::newRow("low") << 1 << 1;
    QTest::newRow("medium") << 2 << 2;
    QTest::newRow("high") << 3 << 3;
    QTest::newRow("zero") << 0 << 1;
    QTest::newRow("five") << 5 << 1;
}

void TestSettings::qualityCodes()
{
    QFETCH(int, code);
    QFETCH(int, quality);
    resetSettings({{"quality", code}});
    Clarnex w;
    auto& a = Access::actions(w);
    QCOMPARE(Access::quality(w), unsigned(quality));
    const QList<QAction*> levels = {a.lowAction, a.mediumAction, a.highAction};
    for (int i = 0; i < 3; ++i) QCOMPARE(levels[i]->isChecked(), i + 1 == quality);
}

void TestSettings::presetBlurSizeIgnoresStoredSizes()
{
    resetSettings({{"blurSize", 2}, {"blurHeight", 25}, {"blurWidth", 41}});
    Clarnex w;
    ParameterBar* bar = Access::bar(w);
    QCOMPARE(bar->blurStrengthCombo->currentText(), QString("Medium"));
    QCOMPARE(bar->heightSpin->value(), 33);
    QCOMPARE(bar->widthSpin->value(), 33);
    QVERIFY(!bar->heightSpin->isHidden());
    QVERIFY(!bar->heightSpin->isEnabled());
    QVERIFY(!bar->widthSpin->isEnabled());
}

void TestSettings::customBlurSize()
{
    {
        resetSettings({{"blurSize", 4}, {"blurHeight", 25}, {"blurWidth", 41}});
        Clarnex w;
        ParameterBar* bar = Access::bar(w);
        QCOMPARE(bar->blurStrengthCombo->currentText(), QString("Custom"));
        QVERIFY(bar->heightSpin->isEnabled());
        QCOMPARE(bar->heightSpin->value(), 25);
        QCOMPARE(bar->widthSpin->value(), 41);
    }
    resetSettings({{"blurSize", 4}});
    Clarnex w;
    QCOMPARE(Access::bar(w)->heightSpin->value(), 19);
    QCOMPARE(Access::bar(w)->widthSpin->value(), 19);
}

void TestSettings::blurSizeOutsideTheList()
{
    for (int code : {5, -1, 1000}) {
        resetSettings({{"blurSize", code}});
        Clarnex w;
        QCOMPARE(Access::bar(w)->blurStrengthCombo->currentIndex(), 0);
        QVERIFY(Access::bar(w)->heightSpin->isHidden());
    }
}

void TestSettings::writtenAtExit()
{
    resetSettings();
    {
        Clarnex w;
        auto& a = Access::actions(w);
        a.gpuAction->trigger();
        a.mediumAction->trigger();
        Access::bar(w)->deringCheck->setChecked(false);
        Access::bar(w)->denoiseCheck->setChecked(true);
    }
    QCOMPARE(stored("option/processor").toInt(), 2);
    QCOMPARE(stored("option/quality").toInt(), 2);
    QCOMPARE(stored("option/blurSize").toInt(), 0);
    QCOMPARE(stored("option/dering").toBool(), false);
    QCOMPARE(stored("option/denoise").toBool(), true);
    QCOMPARE(stored("flag/isFirst").toBool(), false);

    {
        Clarnex w;
        QVERIFY(Access::actions(w).gpuAction->isChecked());
        QCOMPARE(Access::quality(w), 2u);
        QVERIFY(Access::bar(w)->denoiseCheck->isChecked());
        Access::actions(w).cpuAction->trigger();
        Access::actions(w).highAction->trigger();
    }
    QCOMPARE(stored("option/processor").toInt(), 1);
    QCOMPARE(stored("option/quality").toInt(), 3);
}

void TestSettings::customSizesSurviveAPreset()
{
    resetSettings({{"blurSize", 4}, {"blurHeight", 25}, {"blurWidth", 41}});
    {
        Clarnex w;
        Access::bar(w)->blurStrengthCombo->setCurrentIndex(1);
    }
    QCOMPARE(stored("option/blurSize").toInt(), 1);
    QCOMPARE(stored("option/blurHeight").toInt(), 25);
    QCOMPARE(stored("option/blurWidth").toInt(), 41);

    {
        Clarnex w;
        Access::bar(w)->blurStrengthCombo->setCurrentIndex(4);
        Access::bar(w)->heightSpin->setValue(7);
        Access::bar(w)->widthSpin->setValue(9);
    }
    QCOMPARE(stored("option/blurHeight").toInt(), 7);
    QCOMPARE(stored("option/blurWidth").toInt(), 9);
}

QTEST_MAIN(TestSettings)
#include "test_settings.moc"
