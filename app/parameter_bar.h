#pragma once

#include <QFrame>

class QCheckBox;
class QComboBox;
class QHBoxLayout;
class QLabel;
class QSpinBox;

// Preset kernel size of the blur-strength entries 1 to 3 ("Small", "Medium",
// "Large"); entries 0 ("Auto") and 4 ("Custom") have none.
int blurSizePreset(int index);

// The one-row strip where the user sets blur strength, kernel size and the
// noise and ringing reduction.
class ParameterBar : public QFrame
{
    Q_OBJECT

public:
    explicit ParameterBar(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());
    ~ParameterBar() override;

    void setupUi();
    void setSizeWidgetsVisible(bool visible);

    QComboBox* blurStrengthCombo = nullptr;
    QSpinBox* heightSpin = nullptr;
    QSpinBox* widthSpin = nullptr;
    QCheckBox* denoiseCheck = nullptr;
    QCheckBox* deringCheck = nullptr;
    QHBoxLayout* layout = nullptr;
    QLabel* widthLabel = nullptr;
    QLabel* heightLabel = nullptr;

public slots:
    void blurStrengthOptChanged(int index);
};
