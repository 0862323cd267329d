#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QSpinBox>

#include "main_window.h"
#include "parameter_bar.h"

void Clarnex::loadSettings()
{
    settings.beginGroup("option");

    const int processor = settings.value("processor", 0).toInt();
    if (processor == 1)
        actions.cpuAction->setChecked(true);
    else if (processor == 2)
        actions.gpuAction->setChecked(true);
    else
        actions.autoAction->setChecked(true);

    const int storedQuality = settings.value("quality", 1).toInt();
    if (storedQuality == 2) {
        quality = 2;
        actions.mediumAction->setChecked(true);
    } else if (storedQuality == 3) {
        quality = 3;
        actions.highAction->setChecked(true);
    } else {
        quality = 1;
        actions.lowAction->setChecked(true);
    }

    // The combo box has five entries; anything else is taken as "Auto".
    int blurSize = settings.value("blurSize", 0).toInt();
    if (blurSize < 0 || blurSize > 4) blurSize = 0;
    parameterBar->blurStrengthCombo->setCurrentIndex(blurSize);
    parameterBar->setSizeWidgetsVisible(blurSize != 0);

    if (blurSize == 4) {
        const int height = settings.value("blurHeight", 19).toInt();
        const int width = settings.value("blurWidth", 19).toInt();
        parameterBar->heightSpin->setValue(height);
        parameterBar->widthSpin->setValue(width);
    }

    parameterBar->deringCheck->setChecked(settings.value("dering", true).toBool());
    parameterBar->denoiseCheck->setChecked(settings.value("denoise", false).toBool());
    settings.endGroup();

    settings.beginGroup("flag");
    isFirst = settings.value("isFirst", true).toBool();
    settings.endGroup();
}

void Clarnex::saveSettings()
{
    settings.beginGroup("option");

    if (actions.autoAction->isChecked())
        settings.setValue("processor", 0);
    else if (actions.cpuAction->isChecked())
        settings.setValue("processor", 1);
    else if (actions.gpuAction->isChecked())
        settings.setValue("processor", 2);

    if (actions.lowAction->isChecked())
        settings.setValue("quality", 1);
    else if (actions.mediumAction->isChecked())
        settings.setValue("quality", 2);
    else if (actions.highAction->isChecked())
        settings.setValue("quality", 3);

    const int blurSize = parameterBar->blurStrengthCombo->currentIndex();
    settings.setValue("blurSize", blurSize);
    if (blurSize == 4) {
        settings.setValue("blurHeight", parameterBar->heightSpin->value());
        settings.setValue("blurWidth", parameterBar->widthSpin->value());
    }

    settings.setValue("dering", parameterBar->deringCheck->isChecked());
    settings.setValue("denoise", parameterBar->denoiseCheck->isChecked());
    settings.endGroup();

    settings.beginGroup("flag");
    settings.setValue("isFirst", false);
    settings.endGroup();
}

void Clarnex::qualityChanged(QAction* a)
{
    if (a == actions.lowAction)
        quality = 1;
    else if (a == actions.mediumAction)
        quality = 2;
    else
        quality = 3;
}
