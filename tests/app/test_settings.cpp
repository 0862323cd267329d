#include "app_test_support.h"
#include "parameter_bar.h"

namespace {

// The stored values of the given keys, as integers (booleans as 0 and 1).
QList<int> stored(const QStringList& keys)
{
    QSettings store("VANTREL", "Tolvane");
    QList<int> values;
    for (const QString& key : keys) values << store.value(key).toInt();
    return values;
}

}  // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid() && redirectSettings(dir));
    }

    void emptyStore()
    {
        QSettings("VANTREL", "Tolvane").clear();  // no first-start flag either
        {
            Clarnex w;
            auto& a = Access::actions(w);
            QVERIFY(a.autoAction->isChecked() && a.lowAction->isChecked());
            QCOMPARE(Access::quality(w), 1u);
            ParameterBar* bar = Access::bar(w);
            QCOMPARE(bar->blurStrengthCombo->currentIndex(), 0);
            QVERIFY(bar->heightSpin->isHidden() && bar->widthLabel->isHidden());
            QVERIFY(bar->deringCheck->isChecked() && !bar->denoiseCheck->isChecked());
        }
        // The first start is over at exit: the next start shows no tutorial.
        Clarnex second;
        second.showWindow();
        QVERIFY(!Access::tutorialRunning(second));
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
        QTest::newRow("small ignores stored sizes") << 1 << true << "Small" << QSize(19, 19) << false;
        QTest::newRow("medium ignores stored sizes") << 2 << true << "Medium" << QSize(33, 33) << false;
        QTest::newRow("large ignores stored sizes") << 3 << true << "Large" << QSize(55, 55) << false;
        QTest::newRow("custom") << 4 << true << "Custom" << QSize(25, 41) << true;
        QTest::newRow("custom, none stored") << 4 << false << "Custom" << QSize(19, 19) << true;
        for (int code : {5, -1, 1000})
            QTest::newRow(qPrintable(QString::number(code))) << code << false << "Auto" << QSize() << true;
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
        QCOMPARE(bar->heightSpin->isEnabled() && bar->widthSpin->isEnabled(), editable);
    }

    void writtenAtExit()
    {
        resetSettings({{"blurSize", 4}, {"blurHeight", 25}, {"blurWidth", 41}});
        {
            Clarnex w;
            Access::actions(w).gpuAction->trigger();
            Access::actions(w).mediumAction->trigger();
            Access::bar(w)->deringCheck->setChecked(false);
            Access::bar(w)->denoiseCheck->setChecked(true);
            Access::bar(w)->blurStrengthCombo->setCurrentText("Small");
        }
        // Custom sizes survive a preset.
        const QStringList keys = {"option/processor", "option/quality", "option/blurSize", "option/blurHeight",
                                  "option/blurWidth", "option/dering",  "option/denoise",  "flag/isFirst"};
        QCOMPARE(stored(keys), (QList<int>{2, 2, 1, 25, 41, 0, 1, 0}));
        {
            Clarnex w;
            Access::actions(w).cpuAction->trigger();
            Access::actions(w).highAction->trigger();
            Access::bar(w)->blurStrengthCombo->setCurrentText("Custom");
            Access::bar(w)->heightSpin->setValue(7);
            Access::bar(w)->widthSpin->setValue(9);
        }
        QCOMPARE(stored(keys.mid(0, 5)), (QList<int>{1, 3, 4, 7, 9}));
    }

    // Every choice set away from its default comes back at the next start; the mirror values then catch a
    // key swapped between two boxes or two sizes.
    void everyChoiceComesBack()
    {
        struct Choices {
            int processor, quality, height, width;  // processor 0 Auto, 1 CPU, 2 GPU
            bool dering, denoise;
        };
        resetSettings();
        for (const Choices& c : {Choices{2, 3, 25, 41, false, true}, Choices{1, 2, 41, 25, true, false}}) {
            {
                Clarnex w;
                auto& a = Access::actions(w);
                QList<QAction*>{a.autoAction, a.cpuAction, a.gpuAction}[c.processor]->trigger();
                QList<QAction*>{a.lowAction, a.mediumAction, a.highAction}[c.quality - 1]->trigger();
                ParameterBar* bar = Access::bar(w);
                bar->blurStrengthCombo->setCurrentText("Custom");
                bar->heightSpin->setValue(c.height);
                bar->widthSpin->setValue(c.width);
                bar->deringCheck->setChecked(c.dering);
                bar->denoiseCheck->setChecked(c.denoise);
            }
            Clarnex w;
            auto& a = Access::actions(w);
            const QList<QAction*> processors = {a.autoAction, a.cpuAction, a.gpuAction};
            const QList<QAction*> levels = {a.lowAction, a.mediumAction, a.highAction};
            for (int i = 0; i < 3; ++i) {
                QCOMPARE(processors[i]->isChecked(), i == c.processor);
                QCOMPARE(levels[i]->isChecked(), i + 1 == c.quality);
            }
            QCOMPARE(Access::quality(w), unsigned(c.quality));
            ParameterBar* bar = Access::bar(w);
            QCOMPARE(bar->blurStrengthCombo->currentText(), QString("Custom"));
            QCOMPARE(QSize(bar->heightSpin->value(), bar->widthSpin->value()), QSize(c.height, c.width));
            QVERIFY(!bar->heightSpin->isHidden() && bar->heightSpin->isEnabled() && bar->widthSpin->isEnabled());
            QCOMPARE(bar->deringCheck->isChecked(), c.dering);
            QCOMPARE(bar->denoiseCheck->isChecked(), c.denoise);
        }
    }

    // Auto hides the sizes and their labels.
    void autoHidesTheSizes()
    {
        ParameterBar bar;
        bar.blurStrengthCombo->setCurrentText("Small");
        bar.blurStrengthCombo->setCurrentText("Auto");
        for (QWidget* w : std::initializer_list<QWidget*>{bar.heightSpin, bar.widthSpin, bar.heightLabel, bar.widthLabel})
            QVERIFY(w->isHidden());
    }

private:
    QTemporaryDir dir;
};

QTEST_MAIN(TestSettings)
#include "test_settings.moc"
