#pragma once
// Form2 as designed, before the program changes anything: its title, the list's entries,
// the labels' captions and fonts, and every control's place in twips from the top-left
// corner of the client area. Every view builds the window from here.

namespace schreiber::window {

inline constexpr const char* kFormTitle = "Schreiber";

// The entries of Combo1, in order.
inline constexpr const char* kComboEntries[] = {"COM 1", "COM 2", "COM 3", "COM 4", "COM 5",
                                                "COM 6", "COM 7", "COM 8", "COM 9"};

// The label captions at design time (code-page bytes).
inline constexpr const char* kLabel3DesignCaption =
    "Datei wird \xFC"
    "bertragen";
inline constexpr const char* kLabel4DesignCaption = "Daten in CSV Format konvertieren";
inline constexpr double kLabel3Points = 9.75;
inline constexpr double kLabel4Points = 8.25;

// A control's place in twips.
struct TwipsRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kTwipsPerPixelAt96Dpi = kTwipsPerInch / 96;
inline constexpr int kClientWidthTwips = 2340;
inline constexpr int kClientHeightTwips = 2985;
inline constexpr TwipsRect kCommand1Place{1740, 30, 495, 495};
inline constexpr TwipsRect kCombo1Place{60, 130, 1575, 315};
inline constexpr TwipsRect kLabel4Place{60, 840, 3075, 195};
inline constexpr TwipsRect kLabel3Place{60, 540, 2415, 255};
inline constexpr TwipsRect kImagePlace{300, 1140, 1770, 1710};  // Image1 and Image2

}  // namespace schreiber::window
