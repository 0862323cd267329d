#include <QtTest>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSignalSpy>
#include <QSpinBox>

#include "parameter_bar.h"

class TestParameterBar : public QObject
{
    Q_OBJECT

private slots:
    void construction();
    void presetsAndCustom();
    void autoHidesAndKeepsValues();
    void spinLimits();
};

void TestParameterBar::construction()
{
    // Before the settings apply: "Auto", both sizes at their minimum, shown.
    ParameterBar bar;
    QCOMPARE(bar.blurStrengthCombo->count(), 5);
    QCOMPARE(bar.blurStrengthCombo->itemText(4), QString("Custom"));
    QCOMPARE(bar.heightSpin->value(), 3);
    QCOMPARE(bar.widthSpin->value(), 3);
    QVERIFY(!bar.heightSpin->isHidden());
    QVERIFY(!bar.deringCheck->isChecked());
    // The preset table is never read outside its three entries.
    QCOMPARE(blurSizePreset(0), 0);
    QCOMPARE(blurSizePreset(4), 0);
    QCOMPARE(blurSizePreset(-1), 0);
}

void TestParameterBar::presetsAndCustom()
{
    ParameterBar bar;
    bar.blurStrengthCombo->setCurrentIndex(2);
    QCOMPARE(bar.heightSpin->value(), 33);
    QCOMPARE(bar.widthSpin->value(), 33);
    QVERIFY(!bar.heightSpin->isHidden());
    QVERIFY(!bar.heightSpin->isEnabled());
    bar.blurStrengthCombo->setCurrentIndex(3);
    QCOMPARE(bar.widthSpin->value(), 55);

    // Small, then Custom: enabled, still holding the preset.
    bar.blurStrengthCombo->setCurrentIndex(1);
    bar.blurStrengthCombo->setCurrentIndex(4);
    QVERIFY(bar.heightSpin->isEnabled());
    QVERIFY(bar.widthSpin->isEnabled());
    QCOMPARE(bar.heightSpin->value(), 19);

    // Re-selecting the current entry changes nothing.
    bar.heightSpin->setValue(25);
    QSignalSpy spy(bar.blurStrengthCombo, SIGNAL(currentIndexChanged(int)));
    bar.blurStrengthCombo->setCurrentIndex(4);
    QCOMPARE(spy.count(), 0);
    QCOMPARE(bar.heightSpin->value(), 25);
}

void TestParameterBar::autoHidesAndKeepsValues()
{
    ParameterBar bar;
    bar.blurStrengthCombo->setCurrentIndex(4);
    bar.heightSpin->setValue(21);
    bar.widthSpin->setValue(41);
    bar.blurStrengthCombo->setCurrentIndex(0);
    for (QWidget* w : std::initializer_list<QWidget*>{bar.heightSpin, bar.widthSpin, bar.heightLabel, bar.widthLabel})
        QVERIFY(w->isHidden());
    bar.blurStrengthCombo->setCurrentIndex(4);
    QVERIFY(!bar.heightSpin->isHidden());
    QCOMPARE(bar.heightSpin->value(), 21);
    QCOMPARE(bar.widthSpin->value(), 41);

    bar.setSizeWidgetsVisible(false);
    QVERIFY(bar.widthLabel->isHidden());
    QVERIFY(bar.heightSpin->isEnabled());
}

void TestParameterBar::spinLimits()
{
    ParameterBar bar;
    bar.heightSpin->setValue(2);
    QCOMPARE(bar.heightSpin->value(), 3);
    bar.heightSpin->setValue(400);
    QCOMPARE(bar.heightSpin->value(), 351);
    bar.heightSpin->setValue(20);  // the step applies to arrows and keys only
    QCOMPARE(bar.heightSpin->value(), 20);
}

QTEST_MAIN(TestParameterBar)
#include "test_parameter_bar.moc"
