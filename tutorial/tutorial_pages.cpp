#include "tutorial_pages.h"

#include "image_with_caption.h"

#include <QHBoxLayout>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

const char* const openFilePageText =
    "Click (shortcut: <i>Ctrl + O</i>) or drag-and-drop to open a picture to process. "
    "Supported file types: <i>png</i>, <i>jpg</i>, <i>bmp</i>, <i>tiff</i>, <i>ppm</i>, and <i>pgm</i>.";

const char* const blurStrengthPageText =
    "Select the blurriness strength for your picture. More accurate strength estimates can produce "
    "better results. Use the <strong>Auto</strong> option if you are not sure about this option. "
    "<br>The preset options <strong>Small</strong>, <strong>Medium</strong> and <strong>Large</strong> "
    "let you choose small, medium, or large blurriness illustrated as follows.  "
    "<br>Use the <strong>Custom</strong> option to accurately input blur width and height with pixel unit.  "
    "<br>";

const char* const denoisePageText =
    "Tick <strong>Reduce noise</strong> for obviously noisy pictures. "
    "<br><strong>Warning</strong>: choosing this option at least doubles processing time. <br>";

const char* const deringPageText =
    "Tick <strong>Reduce ringing</strong> (recommended) to reduce ringing artifacts. <br>";

const char* const startUpPageText =
    "Click (shortcut: <i>Ctrl + R</i>) to start processing. "
    "It will take a few seconds for a one megapixel picture. <br>";

const char* const savePageText = "Click (shortcut: <i>Ctrl + D</i>) to save the result. <br>";

namespace {

struct Picture
{
    const char* file;
    const char* caption;
};

// A row of captioned pictures, each scaled to 170 x 170 whatever its proportions.
template <std::size_t N>
void addPictureRow(QVBoxLayout* contentLayout, const Picture (&pictures)[N])
{
    auto* row = new QHBoxLayout;
    contentLayout->addLayout(row);
    for (const Picture& picture : pictures) {
        QPixmap pixmap(QStringLiteral(":/tuto/Resources/instruction_200x200/")
                       + QString::fromLatin1(picture.file));
        if (!pixmap.isNull())
            pixmap = pixmap.scaled(170, 170, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        row->addWidget(new ImageWithCaption(picture.caption, pixmap));
    }
}

} // namespace

OpenFilePage::OpenFilePage(QWidget* parent, Qt::WindowFlags flags) : TutorialPage(parent, flags)
{
    addText(openFilePageText);
}

OpenFilePage::~OpenFilePage() = default;

BlurStrengthPage::BlurStrengthPage(QWidget* parent, Qt::WindowFlags flags) : TutorialPage(parent, flags)
{
    addText(blurStrengthPageText);
    static const Picture pictures[] = {
        {"input_200x200.jpg", "Clear picture"},
        {"small.png", "Small blurriness"},
        {"medium.png", "Medium blurriness"},
        {"large.png", "Large blurriness"},
    };
    addPictureRow(contentLayout, pictures);
}

BlurStrengthPage::~BlurStrengthPage() = default;

DenoisePage::DenoisePage(QWidget* parent, Qt::WindowFlags flags) : TutorialPage(parent, flags)
{
    addText(denoisePageText);
    static const Picture pictures[] = {
        {"noise.png", "Before"},
        {"dering.png", "After"},
    };
    addPictureRow(contentLayout, pictures);
}

DenoisePage::~DenoisePage() = default;

DeringPage::DeringPage(QWidget* parent, Qt::WindowFlags flags) : TutorialPage(parent, flags)
{
    addText(deringPageText);
    static const Picture pictures[] = {
        {"ring.jpg", "Before"},
        {"dering.png", "After"},
    };
    addPictureRow(contentLayout, pictures);
}

DeringPage::~DeringPage() = default;

StartUpPage::StartUpPage(QWidget* parent, Qt::WindowFlags flags) : TutorialPage(parent, flags)
{
    addText(startUpPageText);
    // Made before the wizard connects the same button, so Back first undoes on
    // the main window (swapping result and input while a result is on show)
    // and then steps back.
    if (parent)
        connect(backButton, SIGNAL(clicked(bool)), parent, SLOT(undo()));
}

StartUpPage::~StartUpPage() = default;

SavePage::SavePage(QWidget* parent, Qt::WindowFlags flags) : TutorialPage(parent, flags)
{
    addText(savePageText);
}

SavePage::~SavePage() = default;
