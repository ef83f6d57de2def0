// The "Curves" window: what the selected LUT does, drawn as curves. For a 1D
// LUT its three channel curves in one plot; for a 3D or 1D+3D LUT the grey
// axis large and the six ramps from black to red, green, blue, cyan, magenta
// and yellow beside it, each with its red, green and blue outputs. It stays
// open beside the main window and follows the selected row; the comparison
// window holds one that draws a second LUT over the first.
#pragma once

#include <QStringList>
#include <QWidget>

#include "lut/Curves.h"

class QLabel;

namespace zelvo {

// Points a curve is sampled at: finer than any plot on a screen needs.
inline constexpr int kCurvesWindowPoints = 256;

// The plots, drawn with the toolkit's painter: per curve a panel with its
// name, axes with input values (horizontal) and output values (vertical), a
// dashed identity line and one line per output channel in that channel's
// colour; a legend below. A second set of the same curves (SampleCurvePair)
// is drawn dashed over the first, and the legend names both.
class TCurvesView : public QWidget {
  Q_OBJECT

 public:
  explicit TCurvesView(QWidget* parent);

  // The curves drawn solid, named in the legend when `name` is not empty,
  // and those drawn dashed over them with theirs.
  void SetCurves(TCurveSet curves, QString name = {}, TCurveSet second = {}, QString second_name = {});
  const TCurveSet& Curves() const { return curves_; }
  const TCurveSet& SecondCurves() const { return second_; }
  // The legend's lines: the three channels, the identity and the names given.
  QStringList LegendTexts() const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  TCurveSet curves_;
  TCurveSet second_;
  QString name_;
  QString second_name_;
};

class TfrmCurves : public QWidget {
  Q_OBJECT

 public:
  explicit TfrmCurves(QWidget* owner = nullptr);

  // The LUT's title and its description ("Type: 3D, Dimension: 33").
  QLabel* lblLUT;
  // Shown instead of the plots: "No LUT data." or "cannot be read".
  QLabel* lblState;
  TCurvesView* pbxCurves;

 public slots:
  // Draws the LUT's curves under the title (a file name). The window samples
  // what it needs at once and keeps no reference to the LUT. Without a LUT,
  // a title means the file cannot be read and no title that nothing is
  // selected ("No LUT data."); a LUT without a table to draw (no kind, a
  // table of fewer than 2 points) also shows "No LUT data.".
  void ShowLUT(const zelvo::TLUT* lut, const QString& title);
  // Draws two LUTs in one plot, the second dashed over the first, the legend
  // and lblLUT naming each ("A: title", "B: title"). A LUT that is missing
  // (cannot be read) or has no table to draw is said so in lblLUT, and the
  // other one is drawn alone.
  void ShowLUTPair(const zelvo::TLUT* first, const QString& first_title, const zelvo::TLUT* second,
                   const QString& second_title);
};

}  // namespace zelvo
