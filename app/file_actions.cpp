#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPixmap>
#include <QSaveFile>
#include <QStatusBar>

#include "image_view.h"
#include "main_window.h"
#include "ui_main_window.h"
#include "tutorial_wizard.h"

void Clarnex::browseFiles()
{
    // No file comes in while a run is under way (also under the tutorial).
    if (state == WorkState::Running) return;

    const QString name = QFileDialog::getOpenFileName(
        this, tr("Open File"), QString(), tr("Image Files (*.png *.jpg *.bmp *.jpeg *.tiff *.pgm *.ppm)"));
    if (name.isEmpty()) return;

    // A local file's URL: a name read as a URL would take "%", "#" or "?"
    // for escapes, a fragment or a query.
    const bool opened = openFile(QUrl::fromLocalFile(name));
    // A failed open leaves the picture on show, and with it the page's Next.
    if (opened && tutorialRunning && tutorialWizard) tutorialWizard->setNextEnabled(true);
}

bool Clarnex::openFile(QUrl url)
{
    if (state == WorkState::Running) return false;

    // The file itself, not the URL's text form, which escapes "%" and the like.
    currentFile = url.isLocalFile() ? url.toLocalFile() : url.toString();
    // Read into a temporary: a failed read keeps the picture on show.
    QImage picture;
    if (!picture.load(currentFile) || picture.isNull()) {
        ui->statusBar->showMessage(tr("Failed to read the image."));
        return false;
    }
    inputImage.swap(picture);
    loadedFile = currentFile;
    // An earlier failure no longer holds.
    ui->statusBar->clearMessage();
    imageView->setImage(QPixmap::fromImage(inputImage), true);
    setState(WorkState::ImageLoaded);
    return true;
}

void Clarnex::closeFile()
{
    setState(WorkState::NoImage);
    imageView->clear();
}

void Clarnex::saveAsFile()
{
    const QString name = QFileDialog::getSaveFileName(
        this, tr("Save File"), QString(),
        tr("Jpeg file (*.jpg);;PNG file (*.png);;BMP file(*.bmp);;TIFF file (*.tiff);;PGM file (*.pgm);;PPM file "
           "(*.ppm)"));
    if (name.isEmpty()) return;
    if (writePicture(name)) ui->statusBar->showMessage("Image saved.");
}

void Clarnex::saveFile()
{
    const QFileInfo info(loadedFile);
    const QString name = info.completeBaseName() + "_clear." + info.suffix();
    if (writePicture(name)) ui->statusBar->showMessage("Image saved to " + name + ".");
}

bool Clarnex::writePicture(const QString& name)
{
    // Written beside the target and renamed over it only when complete, so a
    // failed write never destroys an existing file.
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly)) {
        QMessageBox::information(this, tr("Unable to open file"), file.errorString(), QMessageBox::Ok);
        return false;
    }

    const QImage& picture = state == WorkState::ResultShown ? resultImage : inputImage;
    // The writer follows the name's suffix, as for a save by file name.
    const QByteArray format = QFileInfo(name).suffix().toLower().toLatin1();
    const bool written = !format.isEmpty() && picture.save(&file, format.constData()) && file.commit();
    if (!written) {
        file.cancelWriting();
        ui->statusBar->showMessage("Failed to save the image.");
    }
    return written;
}
