#include <QtTest>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSignalSpy>
#include <QSpinBox>

#include "app_test_support.h"
#include "parameter_bar.h"

namespace {

QVariant stored(const QString& key)
{
    QSettings store("VANTREL", "Tolvane");
    return store.value(key);
}

// The stored values of the given keys, read as integers.
QList<int> storedInts(const QStringList& keys)
{
    QList<int> values;
    for (const QString& key : keys) values << stored(key).toInt();
    return values;
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
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QVERIFY(redirectSettings(dir));
    }

    void emptyStore()
    {
        clearSettings();
        {
            Clarnex w;
            auto& a = Access::actions(w);
            QVERIFY(a.autoAction->isChecked() && a.lowAction->isChecked());
            QCOMPARE(Access::quality(w), 1u);
            ParameterBar* bar = Access::bar(w);
            QCOMPARE(bar->blurStrengthCombo->currentIndex(), 0);
            QVERIFY(bar->heightSpin->isHidden());
            QVERIFY(bar->widthLabel->isHidden());
            QCOMPARE(QSize(bar->heightSpin->value(), bar->widthSpin->value()), QSize(3, 3));
            QVERIFY(bar->deringCheck->isChecked());
            QVERIFY(!bar->denoiseCheck->isChecked());
            QVERIFY(Access::isFirst(w));
        }
        // Whether the tutorial then starts is checked with the tutorial hosting.
        QCOMPARE(stored("flag/isFirst").toBool(), false);
        Clarnex again;
        QVERIFY(!Access::isFirst(again));
    }

    void choiceCodes_data()
    {
        QTest::addColumn<int>("processorCode");
        QTest::addColumn<int>("checked");  // 0 Auto, 1 CPU, 2 GPU
        QTest::addColumn<int>("qualityCode");
        QTest::addColumn<int>("quality");
        QTest::newRow("auto, low") << 0 << 0 << 1 << 1;
        QTest::newRow("cpu, medium") << 1 << 1 << 2 << 2;
        QTest::newRow("gpu, high") << 2 << 2 << 3 << 3;
        QTest::newRow("unknown, zero") << 7 << 0 << 0 << 1;
        QTest::newRow("unknown, five") << 7 << 0 << 5 << 1;
    }

    void choiceCodes()
    {
        QFETCH(int, processorCode);
        QFETCH(int, checked);
        QFETCH(int, qualityCode);
        QFETCH(int, quality);
        resetSettings({{"processor", processorCode}, {"quality", qualityCode}});
        Clarnex w;
        auto& a = Access::actions(w);
        const QList<QAction*> choices = {a.autoAction, a.cpuAction, a.gpuAction};
        const QList<QAction*> levels = {a.lowAction, a.mediumAction, a.highAction};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(choices[i]->isChecked(), i == checked);
            QCOMPARE(levels[i]->isChecked(), i + 1 == quality);
        }
        QCOMPARE(Access::quality(w), unsigned(quality));
    }

    void blurSizeCodes_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("storedSizes");  // 25 x 41 in the store
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QSize>("sizes");  // height, width; empty when the boxes are hidden
        QTest::addColumn<bool>("editable");
        QTest::newRow("preset ignores stored sizes") << 2 << true << "Medium" << QSize(33, 33) << false;
        QTest::newRow("custom") << 4 << true << "Custom" << QSize(25, 41) << true;
        QTest::newRow("custom, none stored") << 4 << false << "Custom" << QSize(19, 19) << true;
        for (int code : {5, -1, 1000}) QTest::newRow(qPrintable(QString::number(code))) << code << false << "Auto" << QSize() << true;
    }

    void blurSizeCodes()
    {
        QFETCH(int, code);
        QFETCH(bool, storedSizes);
        QFETCH(QString, shown);
        QFETCH(QSize, sizes);
        QFETCH(bool, editable);
        QVariantMap options{{"blurSize", code}};
        if (storedSizes) options.insert({{"blurHeight", 25}, {"blurWidth", 41}});
        resetSettings(options);
        Clarnex w;
        ParameterBar* bar = Access::bar(w);
        QCOMPARE(bar->blurStrengthCombo->currentText(), shown);
        QCOMPARE(bar->heightSpin->isHidden(), sizes.isEmpty());
        if (sizes.isEmpty()) return;
        QCOMPARE(QSize(bar->heightSpin->value(), bar->widthSpin->value()), sizes);
        QCOMPARE(bar->heightSpin->isEnabled(), editable);
        QCOMPARE(bar->widthSpin->isEnabled(), editable);
    }

    void writtenAtExit()
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
        QCOMPARE(storedInts({"option/processor", "option/quality", "option/blurSize"}), (QList<int>{2, 2, 0}));
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
        QCOMPARE(storedInts({"option/processor", "option/quality"}), (QList<int>{1, 3}));
    }

    void customSizesSurviveAPreset()
    {
        resetSettings({{"blurSize", 4}, {"blurHeight", 25}, {"blurWidth", 41}});
        {
            Clarnex w;
            Access::bar(w)->blurStrengthCombo->setCurrentIndex(1);
        }
        QCOMPARE(storedInts({"option/blurSize", "option/blurHeight", "option/blurWidth"}), (QList<int>{1, 25, 41}));

        {
            Clarnex w;
            Access::bar(w)->blurStrengthCombo->setCurrentIndex(4);
            Access::bar(w)->heightSpin->setValue(7);
            Access::bar(w)->widthSpin->setValue(9);
        }
        QCOMPARE(storedInts({"option/blurHeight", "option/blurWidth"}), (QList<int>{7, 9}));
    }

    // The bar before any settings apply, and its own rules between choices.
    void parameterBarOnItsOwn()
    {
        ParameterBar bar;
        QCOMPARE(bar.blurStrengthCombo->count(), 5);
        QCOMPARE(bar.blurStrengthCombo->itemText(4), QString("Custom"));
        QCOMPARE(QSize(bar.heightSpin->value(), bar.widthSpin->value()), QSize(3, 3));
        QVERIFY(!bar.heightSpin->isHidden());
        QVERIFY(!bar.deringCheck->isChecked());
        // The preset table is never read outside its three entries.
        for (int index : {0, 4, -1}) QCOMPARE(blurSizePreset(index), 0);

        bar.blurStrengthCombo->setCurrentIndex(3);
        QCOMPARE(bar.widthSpin->value(), 55);
        QVERIFY(!bar.widthSpin->isEnabled());
        // Small, then Custom: enabled, still holding the preset.
        bar.blurStrengthCombo->setCurrentIndex(1);
        bar.blurStrengthCombo->setCurrentIndex(4);
        QVERIFY(bar.heightSpin->isEnabled() && bar.widthSpin->isEnabled());
        QCOMPARE(bar.heightSpin->value(), 19);
        // Re-selecting the current entry changes nothing.
        bar.heightSpin->setValue(25);
        QSignalSpy spy(bar.blurStrengthCombo, SIGNAL(currentIndexChanged(int)));
        bar.blurStrengthCombo->setCurrentIndex(4);
        QCOMPARE(spy.count(), 0);
        QCOMPARE(bar.heightSpin->value(), 25);

        // Auto hides the sizes and keeps their values for the next Custom.
        bar.widthSpin->setValue(41);
        bar.blurStrengthCombo->setCurrentIndex(0);
        for (QWidget* w : std::initializer_list<QWidget*>{bar.heightSpin, bar.widthSpin, bar.heightLabel, bar.widthLabel})
            QVERIFY(w->isHidden());
        bar.blurStrengthCombo->setCurrentIndex(4);
        QCOMPARE(QSize(bar.heightSpin->value(), bar.widthSpin->value()), QSize(25, 41));
        bar.setSizeWidgetsVisible(false);
        QVERIFY(bar.widthLabel->isHidden());
        QVERIFY(bar.heightSpin->isEnabled());

        // Limits 3..351; the step applies to arrows and keys only.
        for (int typed : {2, 400, 20}) {
            bar.heightSpin->setValue(typed);
            QCOMPARE(bar.heightSpin->value(), qBound(3, typed, 351));
        }
    }

private:
    QTemporaryDir dir;
};

QTEST_MAIN(TestSettings)
#include "test_settings.moc"
