#include "app/CurvesForm.h"

#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace zelvo {

namespace {

const QColor kChannelColours[3] = {QColor(214, 39, 40), QColor(44, 160, 44), QColor(31, 100, 220)};
// Wider lines under narrower ones: channels that coincide (the grey axis of
// a neutral LUT) all stay in sight.
constexpr double kChannelWidths[3] = {3.4, 2.2, 1.1};
const char* const kChannelNames[3] = {"Red output", "Green output", "Blue output"};

QPen ChannelPen(int channel) {
  return QPen(kChannelColours[channel], kChannelWidths[channel], Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A second LUT's curves: dashed and darker, so that they stay in sight over
// the first's where the two LUTs agree.
QPen SecondPen(const QColor& colour) {
  QPen pen(colour.darker(160), 1.6, Qt::CustomDashLine, Qt::FlatCap, Qt::RoundJoin);
  pen.setDashPattern({4.0, 3.0});
  return pen;
}

// Where the ramps of a 3D LUT stand in TCurveSet::Curves.
enum : std::size_t { kGrey, kRed, kGreen, kBlue, kCyan, kMagenta, kYellow };

// A step of 1, 2 or 5 times a power of ten that divides the span into at
// most `count` parts.
double NiceStep(double span, int count) {
  const double raw = span / std::max(count, 1);
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (const double m : {1.0, 2.0, 5.0}) {
    if (m * power >= raw) return m * power;
  }
  return 10.0 * power;
}

// The values of the axis marks within low..high.
std::vector<double> AxisMarks(double low, double high, int count) {
  std::vector<double> marks;
  const double step = NiceStep(high - low, count);
  for (double k = std::ceil(low / step - 1e-9); k * step <= high + step * 1e-9 && marks.size() < 100; k += 1.0) {
    const double v = k * step;
    marks.push_back(std::abs(v) < step * 1e-6 ? 0.0 : v);
  }
  return marks;
}

QString MarkText(double value) { return QString::number(value, 'g', 4); }

// A span with room around the values, never empty.
struct TSpan {
  double Low, High;
  TSpan(double low, double high, double margin) {
    const double size = std::isfinite(high - low) && high > low ? high - low : 1.0;
    Low = low - size * margin;
    High = Low + size * (1.0 + 2.0 * margin);
  }
  double Fraction(double v) const { return (v - Low) / (High - Low); }
};

// One plot: a title, the colour its input ramp runs to, and the curves in it.
struct TPanel {
  QRectF Area;
  QString Title;
  QColor RampEnd;
  std::vector<const TCurve*> Curves;
  bool AxisTitles = false;
  // The same curves of a second LUT, drawn over them.
  std::vector<const TCurve*> Second = {};
};

class TPanelPainter {
 public:
  TPanelPainter(QPainter& p, const QPalette& palette, const TCurveSet& set)
      : p_(p), palette_(palette), x_(set.InputMin, set.InputMax, 0.0), y_(set.OutputMin, set.OutputMax, 0.04) {}

  void Draw(const TPanel& panel) const {
    const QFontMetricsF fm(p_.font());
    const double line = fm.height();
    QRectF plot = panel.Area.adjusted(6, line + 8, -10, -(line + 14));
    double label_width = 0;
    for (const double v : AxisMarks(y_.Low, y_.High, 8)) label_width = std::max(label_width, fm.horizontalAdvance(MarkText(v)));
    plot.setLeft(plot.left() + label_width + 6 + (panel.AxisTitles ? line + 4 : 0));
    if (panel.AxisTitles) plot.setBottom(plot.bottom() - line - 2);
    if (plot.width() < 20 || plot.height() < 20) return;

    DrawTitle(panel, fm);
    DrawAxes(plot, fm, panel);
    DrawRamp(plot, panel.RampEnd);
    p_.save();
    p_.setClipRect(plot);
    p_.setRenderHint(QPainter::Antialiasing);
    QPen identity(palette_.color(QPalette::Mid), 1.0, Qt::DashLine);
    p_.setPen(identity);
    const double low = std::max(x_.Low, y_.Low), high = std::min(x_.High, y_.High);
    if (high > low) p_.drawLine(At(plot, low, low), At(plot, high, high));
    for (const auto& [curves, second] : {std::pair{&panel.Curves, false}, std::pair{&panel.Second, true}}) {
      for (int c = 0; c < 3; ++c) {
        for (const TCurve* curve : *curves) {
          if (curve->Shows[c]) DrawCurve(plot, *curve, c, second ? SecondPen(kChannelColours[c]) : ChannelPen(c));
        }
      }
    }
    p_.restore();
  }

 private:
  QPointF At(const QRectF& plot, double x, double y) const {
    return {plot.left() + x_.Fraction(x) * plot.width(), plot.bottom() - y_.Fraction(y) * plot.height()};
  }

  void DrawTitle(const TPanel& panel, const QFontMetricsF& fm) const {
    const QRectF swatch(panel.Area.left() + 6, panel.Area.top() + 4 + (fm.height() - 10) / 2, 10, 10);
    p_.fillRect(swatch, panel.RampEnd);
    p_.setPen(palette_.color(QPalette::Text));
    // Cut short rather than run into the next panel in a small window.
    const double room = panel.Area.right() - swatch.right() - 10;
    p_.drawText(QPointF(swatch.right() + 6, panel.Area.top() + 4 + fm.ascent()),
                fm.elidedText(panel.Title, Qt::ElideRight, room));
  }

  void DrawAxes(const QRectF& plot, const QFontMetricsF& fm, const TPanel& panel) const {
    const QColor grid = palette_.color(QPalette::Midlight);
    const QColor text = palette_.color(QPalette::Text);
    for (const double v : AxisMarks(x_.Low, x_.High, std::max(2, static_cast<int>(plot.width() / 60)))) {
      const double x = At(plot, v, 0).x();
      p_.setPen(grid);
      p_.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
      p_.setPen(text);
      const QString label = MarkText(v);
      p_.drawText(QPointF(x - fm.horizontalAdvance(label) / 2, plot.bottom() + 8 + fm.ascent()), label);
    }
    for (const double v : AxisMarks(y_.Low, y_.High, std::max(2, static_cast<int>(plot.height() / 32)))) {
      const double y = At(plot, 0, v).y();
      p_.setPen(grid);
      p_.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
      p_.setPen(text);
      const QString label = MarkText(v);
      p_.drawText(QPointF(plot.left() - 5 - fm.horizontalAdvance(label), y + fm.ascent() / 2 - 1), label);
    }
    p_.setPen(palette_.color(QPalette::Dark));
    p_.drawRect(plot);
    if (!panel.AxisTitles) return;
    p_.setPen(text);
    const QString input = QStringLiteral("Input");
    p_.drawText(QPointF(plot.center().x() - fm.horizontalAdvance(input) / 2, plot.bottom() + 10 + fm.height() + fm.ascent()),
                input);
    p_.save();
    // Turned a quarter anticlockwise, the title's ascent lies to the left of
    // its baseline: in the room Draw keeps at the panel's left edge.
    p_.translate(panel.Area.left() + 8 + fm.ascent(), plot.center().y());
    p_.rotate(-90);
    const QString output = QStringLiteral("Output");
    p_.drawText(QPointF(-fm.horizontalAdvance(output) / 2, 0), output);
    p_.restore();
  }

  // The input ramp as a strip under the horizontal axis.
  void DrawRamp(const QRectF& plot, const QColor& end) const {
    QLinearGradient ramp(plot.bottomLeft(), plot.bottomRight());
    ramp.setColorAt(0, Qt::black);
    ramp.setColorAt(1, end);
    p_.fillRect(QRectF(plot.left(), plot.bottom() + 1, plot.width(), 5), ramp);
  }

  // A line through the finite points, broken where a value is not a number.
  void DrawCurve(const QRectF& plot, const TCurve& curve, int channel, const QPen& pen) const {
    p_.setPen(pen);
    QPolygonF run;
    const auto flush = [&] {
      if (run.size() > 1) p_.drawPolyline(run);
      run.clear();
    };
    for (std::size_t i = 0; i < curve.Outputs.size(); ++i) {
      const TLUTEntry& out = curve.Outputs[i];
      const double v = channel == 0 ? out.R : channel == 1 ? out.G : out.B;
      if (!std::isfinite(v)) {
        flush();
        continue;
      }
      // Far outside the plot, points are held at its edge so that the
      // painter's coordinates stay in range.
      const double part = std::clamp(y_.Fraction(v), -1.0, 2.0);
      run.append(QPointF(At(plot, curve.Inputs[i], 0).x(), plot.bottom() - part * plot.height()));
    }
    flush();
  }

  QPainter& p_;
  const QPalette& palette_;
  TSpan x_, y_;
};

QColor RampColour(const TLUTEntry& end) {
  return QColor::fromRgbF(static_cast<float>(end.R), static_cast<float>(end.G), static_cast<float>(end.B));
}

// The panels in an area: a 1D LUT's channels in one; a 3D LUT's grey axis
// large, the six ramps in a grid beside it (or under it in a tall window),
// complementary colours next to each other. A second set's curve k goes
// where the first's does.
std::vector<TPanel> LayOut(const TCurveSet& set, const TCurveSet& second, const QRectF& area) {
  std::vector<TPanel> panels;
  const bool paired = second.Curves.size() == set.Curves.size();
  const auto add = [&](const QRectF& rect, std::size_t index) {
    const TCurve& curve = set.Curves[index];
    panels.push_back(TPanel{rect, QString::fromStdString(curve.Name), RampColour(curve.Colour), {&curve}});
    if (paired) panels.back().Second.push_back(&second.Curves[index]);
  };
  if (set.Curves.size() == 3) {
    TPanel channels{area, QStringLiteral("Channel curves"), Qt::white, {}, true};
    for (const TCurve& curve : set.Curves) channels.Curves.push_back(&curve);
    if (paired) {
      for (const TCurve& curve : second.Curves) channels.Second.push_back(&curve);
    }
    panels.push_back(std::move(channels));
    return panels;
  }
  if (set.Curves.size() != 7) return panels;
  const bool wide = area.width() >= area.height();
  const QRectF large = wide ? QRectF(area.left(), area.top(), area.width() / 2, area.height())
                            : QRectF(area.left(), area.top(), area.width(), area.height() / 2);
  add(large, kGrey);
  panels.back().AxisTitles = true;
  const QRectF rest = wide ? QRectF(large.right(), area.top(), area.width() - large.width(), area.height())
                           : QRectF(area.left(), large.bottom(), area.width(), area.height() - large.height());
  // Wide: three rows of two (red beside cyan ...); tall: two rows of three.
  constexpr std::size_t kWideOrder[] = {kRed, kCyan, kGreen, kMagenta, kBlue, kYellow};
  constexpr std::size_t kTallOrder[] = {kRed, kGreen, kBlue, kCyan, kMagenta, kYellow};
  const int columns = wide ? 2 : 3, rows = wide ? 3 : 2;
  for (int k = 0; k < 6; ++k) {
    const double w = rest.width() / columns, h = rest.height() / rows;
    add(QRectF(rest.left() + (k % columns) * w, rest.top() + (k / columns) * h, w, h),
        (wide ? kWideOrder : kTallOrder)[k]);
  }
  return panels;
}

// The legend: the three channels, the identity line, and the LUTs named.
struct TLegendEntry {
  QPen Pen;
  QString Text;
  QPointF At = {};
};

std::vector<TLegendEntry> Legend(const QPalette& palette, const QString& name, const QString& second_name) {
  std::vector<TLegendEntry> legend;
  for (int c = 0; c < 3; ++c) {
    legend.push_back({ChannelPen(c), QString::fromLatin1(kChannelNames[c])});
  }
  legend.push_back({QPen(palette.color(QPalette::Mid), 1.0, Qt::DashLine), QStringLiteral("Identity")});
  if (!name.isEmpty()) legend.push_back({QPen(palette.color(QPalette::Text), 2.0), name});
  if (!second_name.isEmpty()) legend.push_back({SecondPen(palette.color(QPalette::Text)), second_name});
  return legend;
}

}  // namespace

TCurvesView::TCurvesView(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("pbxCurves"));
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Base);
}

void TCurvesView::SetCurves(TCurveSet curves, QString name, TCurveSet second, QString second_name) {
  curves_ = std::move(curves);
  second_ = std::move(second);
  name_ = std::move(name);
  second_name_ = second_.Curves.empty() ? QString() : std::move(second_name);
  update();
}

QStringList TCurvesView::LegendTexts() const {
  QStringList texts;
  for (const TLegendEntry& entry : Legend(palette(), name_, second_name_)) texts << entry.Text;
  return texts;
}

QSize TCurvesView::sizeHint() const { return {800, 500}; }
QSize TCurvesView::minimumSizeHint() const { return {440, 300}; }

void TCurvesView::paintEvent(QPaintEvent*) {
  if (curves_.Curves.empty()) return;
  QPainter p(this);
  const QFontMetricsF fm(font());
  // The legend, in as many rows as the width needs.
  std::vector<TLegendEntry> legend = Legend(palette(), name_, second_name_);
  const double row_height = fm.height() + 6;
  QPointF at(12, 0);
  for (TLegendEntry& entry : legend) {
    const double entry_width = 30 + fm.horizontalAdvance(entry.Text) + 24;
    if (at.x() > 12 && at.x() + entry_width > width()) at = QPointF(12, at.y() + row_height);
    entry.At = at;
    at.rx() += entry_width;
  }
  const double legend_height = at.y() + row_height + 6;
  const QRectF area(0, 0, width(), height() - legend_height);

  const TPanelPainter painter(p, palette(), curves_);
  for (const TPanel& panel : LayOut(curves_, second_, area)) painter.Draw(panel);

  p.setRenderHint(QPainter::Antialiasing);
  for (const TLegendEntry& entry : legend) {
    const double y = area.bottom() + 3 + entry.At.y() + row_height / 2;
    p.setPen(entry.Pen);
    p.drawLine(QPointF(entry.At.x(), y), QPointF(entry.At.x() + 24, y));
    p.setPen(palette().color(QPalette::Text));
    p.drawText(QPointF(entry.At.x() + 30, y + fm.ascent() / 2 - 1), entry.Text);
  }
}

TfrmCurves::TfrmCurves(QWidget* owner) : QWidget(owner, Qt::Window) {
  setObjectName(QStringLiteral("frmCurves"));
  setWindowTitle(QStringLiteral("Curves"));
  lblLUT = new QLabel(this);
  lblLUT->setObjectName(QStringLiteral("lblLUT"));
  lblLUT->setTextFormat(Qt::PlainText);
  // A long file name is cut at the window's edge rather than widening it.
  lblLUT->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  lblState = new QLabel(this);
  lblState->setObjectName(QStringLiteral("lblState"));
  lblState->setAlignment(Qt::AlignCenter);
  pbxCurves = new TCurvesView(this);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblLUT);
  layout->addWidget(pbxCurves, 1);
  layout->addWidget(lblState, 1);
  resize(820, 560);
  ShowLUT(nullptr, QString());
}

namespace {

// A title with the LUT's description after it ("Type: 3D, Dimension: 33").
QString Described(const QString& title, const TLUT& lut) {
  QStringList lines;
  for (const std::string& line : DescribeLUT(lut)) lines << QString::fromStdString(line);
  return title + (title.isEmpty() ? QString() : QStringLiteral(" \u2014 ")) + lines.join(QStringLiteral(", "));
}

}  // namespace

void TfrmCurves::ShowLUT(const TLUT* lut, const QString& title) {
  TCurveSet curves = lut != nullptr ? SampleCurves(*lut, kCurvesWindowPoints) : TCurveSet{};
  const bool drawn = !curves.Curves.empty();
  lblLUT->setText(drawn ? Described(title, *lut) : title);
  lblState->setText(lut == nullptr && !title.isEmpty() ? QStringLiteral("cannot be read") : QStringLiteral("No LUT data."));
  pbxCurves->SetCurves(std::move(curves));
  pbxCurves->setVisible(drawn);
  lblState->setVisible(!drawn);
}

void TfrmCurves::ShowLUTPair(const TLUT* first, const QString& first_title, const TLUT* second,
                             const QString& second_title) {
  TLUT none;
  none.Kind = TLUTKind::lkNone;
  TCurvePair pair = SampleCurvePair(first != nullptr ? *first : none, second != nullptr ? *second : none,
                                    kCurvesWindowPoints);
  const QString names[2] = {QStringLiteral("A: ") + first_title, QStringLiteral("B: ") + second_title};
  QStringList lines;
  const TLUT* luts[2] = {first, second};
  for (int k = 0; k < 2; ++k) {
    const bool drawn = !(k == 0 ? pair.First : pair.Second).Curves.empty();
    lines << (drawn ? Described(names[k], *luts[k])
                    : names[k] + (luts[k] == nullptr ? QStringLiteral(" (cannot be read)") : QStringLiteral(" (No LUT data.)")));
  }
  lblLUT->setText(lines.join(u'\n'));
  const bool drawn = !pair.First.Curves.empty() || !pair.Second.Curves.empty();
  lblState->setText(first == nullptr || second == nullptr ? QStringLiteral("cannot be read") : QStringLiteral("No LUT data."));
  if (pair.First.Curves.empty()) {
    pbxCurves->SetCurves(std::move(pair.Second), names[1]);
  } else {
    pbxCurves->SetCurves(std::move(pair.First), names[0], std::move(pair.Second), names[1]);
  }
  pbxCurves->setVisible(drawn);
  lblState->setVisible(!drawn);
}

}  // namespace zelvo
