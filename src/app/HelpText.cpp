#include "app/HelpText.h"

#include "app/ProductPage.h"

const char* const kHelpTabCaption = "Help";

const char* const kHelpText =
    "Varnelo turns a video into an animated preview grid: a 2x2, 3x3 or 4x4 mosaic in "
    "which every cell plays a short run of frames taken from its own place in the video. "
    "The result is saved as an animated GIF that loops forever, or as an AVI file.\r\n"
    "\r\n"
    "How to make a preview, step by step:\r\n"
    "1. Click [Open] and choose a video. Every cell shows the first picture.\r\n"
    "2. Choose the grid size (2x2, 3x3 or 4x4). Play or seek the video (Prev 5s, Next 5s, "
    "Prev 0.1s, Next 0.1s) and click [Reset Position] under a cell to start that cell at "
    "the picture shown now; or click [Auto Positions] to spread the cells evenly over the "
    "whole video. Clicking a cell's picture seeks to its start.\r\n"
    "3. Click [Next Step].\r\n"
    "4. Choose how many frames per second to take (FPS) and how many frames each cell "
    "plays (Frames).\r\n"
    "5. Click [Capture Frames]. The grid frames appear in the list on the right; click one "
    "to look at it. A frame whose name you edit to contain [X] is left out of the results.\r\n"
    "6. Choose the output rate, zoom and colours, then click [Make GIF] to look at the "
    "animation, [Save to GIF] to save it, or [Save to AVI] to save an AVI file.\r\n"
    "\r\n"
    "Example: open a 100 second video, choose 2x2 and click [Auto Positions]: the cells "
    "start at 20, 40, 60 and 80 seconds. With FPS 3 and Frames 20 each cell plays 6.67 "
    "seconds of its part of the video. [Save to GIF] with output FPS 3 gives a GIF of 20 "
    "frames that shows each for a third of a second.\r\n"
    "\r\n"
    "The Brightness page sets the brightness every captured frame gets (-255 to 255).";

// The project's own mail address, beside its own page.
const char* const kProjectMail = "korvid@example.org";

String HelpContactText() {
    return "Product page: " + ProductPageFileName() + "\nMail: " + kProjectMail;
}
