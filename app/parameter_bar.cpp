#include "parameter_bar.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpacerItem>
#include <QSpinBox>

namespace {

constexpr int blurSizePresets[3] = {19, 33, 55};

const char* const dividerStyle = "QFrame#dividerFrame,QFrame#paraDivider {\n\tbackground-color: #aaa;\n}";

QFont smallFont()
{
    QFont font;
    font.setPointSize(7);
    return font;
}

void setupSpin(QSpinBox* spin)
{
    spin->setFont(smallFont());
    spin->setMinimum(3);
    spin->setMaximum(351);
    spin->setSingleStep(2);
    spin->setSuffix(" px");
}

}  // namespace

int blurSizePreset(int index)
{
    return index >= 1 && index <= 3 ? blurSizePresets[index - 1] : 0;
}

ParameterBar::ParameterBar(QWidget* parent, Qt::WindowFlags flags) : QFrame(parent, flags)
{
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHorizontalStretch(1);
    policy.setVerticalStretch(0);
    policy.setHeightForWidth(sizePolicy().hasHeightForWidth());
    setSizePolicy(policy);
    setMinimumSize(0, 0);
    setMaximumSize(16777215, 27);
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Raised);

    layout = new QHBoxLayout(this);
    layout->setSpacing(6);
    layout->setContentsMargins(11, 11, 11, 11);
    layout->setSizeConstraint(QLayout::SetMaximumSize);
    layout->setContentsMargins(-1, 1, -1, 3);

    setStyleSheet("QFrame#parameterFrame{ background-color:#aaa;}");
    setupUi();
}

ParameterBar::~ParameterBar() = default;

void ParameterBar::setupUi()
{
    layout->addWidget(new QLabel("Blur strength:", this));

    blurStrengthCombo = new QComboBox(this);
    for (const char* item : {"Auto", "Small", "Medium", "Large", "Custom"})
        blurStrengthCombo->addItem(QString(item));
    blurStrengthCombo->setFont(smallFont());
    layout->addWidget(blurStrengthCombo);
    setObjectName("parameterFrame");

    heightLabel = new QLabel("Height:", this);
    layout->addWidget(heightLabel);
    heightSpin = new QSpinBox(this);
    setupSpin(heightSpin);
    layout->addWidget(heightSpin);

    widthLabel = new QLabel("Width:", this);
    layout->addWidget(widthLabel);
    widthSpin = new QSpinBox(this);
    setupSpin(widthSpin);
    layout->addWidget(widthSpin);

    auto* divider = new QFrame(this);
    divider->setObjectName("paraDivider");
    divider->setMinimumSize(0, 0);
    divider->setSizeIncrement(0, 0);
    divider->setBaseSize(0, 5);
    divider->setStyleSheet(dividerStyle);
    divider->setFrameShape(QFrame::VLine);
    divider->setFrameShadow(QFrame::Sunken);
    divider->setLineWidth(1);
    layout->addWidget(divider);

    denoiseCheck = new QCheckBox("Reduce noise", this);
    denoiseCheck->setChecked(false);
    layout->addWidget(denoiseCheck);
    deringCheck = new QCheckBox("Reduce ringing", this);
    deringCheck->setChecked(false);
    layout->addWidget(deringCheck);

    layout->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));

    connect(blurStrengthCombo, SIGNAL(currentIndexChanged(int)), this, SLOT(blurStrengthOptChanged(int)));
}

void ParameterBar::blurStrengthOptChanged(int index)
{
    const bool visible = index != 0;
    heightSpin->setVisible(visible);
    widthSpin->setVisible(visible);
    widthLabel->setVisible(visible);
    heightLabel->setVisible(visible);

    const bool custom = index == 4;
    heightSpin->setEnabled(custom);
    widthSpin->setEnabled(custom);

    if (const int preset = blurSizePreset(index)) {
        heightSpin->setValue(preset);
        widthSpin->setValue(preset);
    }
}

void ParameterBar::setSizeWidgetsVisible(bool visible)
{
    heightSpin->setVisible(visible);
    widthSpin->setVisible(visible);
    widthLabel->setVisible(visible);
    heightLabel->setVisible(visible);
}
