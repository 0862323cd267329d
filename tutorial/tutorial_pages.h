#pragma once

// The six pages of the tutorial, in the order the main window adds them.
#include "open_file_page.h"
#include "blur_strength_page.h"
#include "denoise_page.h"
#include "dering_page.h"
#include "start_up_page.h"
#include "save_page.h"

// Page texts, word for word as the pages show them.
extern const char* const openFilePageText;
extern const char* const blurStrengthPageText;
extern const char* const denoisePageText;
extern const char* const deringPageText;
extern const char* const startUpPageText;
extern const char* const savePageText;
