// The "Curves" window: what the selected LUT does, drawn as curves. For a 1D
// LUT its three channel curves in one plot; for a 3D or 1D+3D LUT the grey
// axis large and the six ramps from black to red, green, blue, cyan, magenta
// and yellow beside it, each with its red, green and blue outputs. It stays
// open beside the main window and follows the selected row.
#pragma once

#include <QWidget>

#include "lut/Curves.h"

class QLabel;

namespace zelvo {

// Points a curve is sampled at: finer than any plot on a screen needs.
inline constexpr int kCurvesWindowPoints = 256;

// The plots, drawn with the toolkit's painter: per curve a panel with its
// name, axes with input values (horizontal) and output values (vertical), a
// dashed identity line and one line per output channel in that channel's
// colour; a legend below.
class TCurvesView : public QWidget {
  Q_OBJECT

 public:
  explicit TCurvesView(QWidget* parent);

  void SetCurves(TCurveSet curves);
  const TCurveSet& Curves() const { return curves_; }

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  TCurveSet curves_;
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
};

}  // namespace zelvo
