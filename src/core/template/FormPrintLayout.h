#pragma once

#include <array>
#include <string>
#include <vector>

#include "template/PrintItem.h"

namespace loom {

// Where the printout of a system's form pages puts everything: the scale of each page
// (the first of three printer fonts that makes it fit, measured against the screen
// font), the framed file information once per job, pages packed left to right in rows
// and rows into sheets 10 units apart, and each item's shapes and texts. All results are
// in the printer's device units; a painter only draws the operations.
class FormPrintLayout {
  public:
    static constexpr int kGap = 10;

    struct CharMetrics {
        int width = 0;   // average character width
        int height = 0;  // character height (the line height)
    };
    struct InfoLine {
        std::string text;  // code page 1252
        int width = 0;     // measured in font 0 on the printer
    };
    struct Input {
        int printerWidth = 0;
        int printerHeight = 0;
        std::array<CharMetrics, 3> fonts;  // F1, F2 (3/4 of F1), F3 (1/2 of F1)
        CharMetrics screen;                // the font the form's pixels were laid out in
        std::vector<InfoLine> fileInfo;    // "Produkt: ..." and the other three
        std::string infoTitle;             // "Filinformation"
        std::vector<PrintPage> pages;      // every page of the form
        int first = 0;                     // pages printed: first ... end - 1
        int end = 0;
    };

    // What the painter draws. Frames are one unit wide, black; circles and squares are
    // outlined in black and filled black (`filled`) or white; a text is drawn on white in
    // its font, clipped to its rectangle, word-wrapped when `wrap`.
    struct Op {
        enum class Kind { Text, Frame, Circle, Square };
        Kind kind = Kind::Text;
        EdgeRect rect;
        int font = 0;
        std::string text;
        bool filled = false;
        bool wrap = false;
    };
    // A page as placed on a sheet.
    struct Placed {
        int page = 0;
        EdgeRect rect;  // its frame on the sheet
        int font = 0;
        int lineHeight = 0;
    };
    struct Sheet {
        std::vector<Op> ops;
        std::vector<Placed> pages;
        bool fileInfo = false;
    };

    explicit FormPrintLayout(const Input& input);

    const std::vector<Sheet>& sheets() const { return sheets_; }
    // The left margin: seven average characters of F1.
    int margin() const { return margin_; }

    struct Scale {
        int font = 0;
        int sx = 100;  // percent
        int sy = 100;
    };
    // The first font at which a page of w x h screen pixels fits in the usable area
    // (F3 whatever the result).
    Scale scaleFor(int w, int h) const;

  private:
    Scale scaleOf(int font) const;
    int placeFileInfo(Sheet& sheet) const;
    void placePage(Sheet& sheet, int index, const PrintPage& page, const Scale& scale, int x,
                   int y) const;

    Input input_;
    int margin_ = 0;
    int usableWidth_ = 0;
    std::vector<Sheet> sheets_;
};

}  // namespace loom
