// One editor mouse step, three ways in the same run, as medians of single steps:
//   core    the editor model's move: both not-xor figures of the rubber band and the reduction
//           of the whole surface to the 16 × 16 glyph;
//   qpainter QPainter doing the same drawing on a 256 × 256 QImage (two not-xor figures with a
//           round-capped 48-pixel pen and a solid brush, then a nearest-neighbour reduction);
//   window  the editor window on Qt's offscreen platform, from the delivered mouse event to the
//           end of the repaint of what changed.
// Then a flood fill of the whole surface and a text stroke in "arial" 144 through the model,
// and the history: recording a step, stepping back and forward.
// Rounds are interleaved so a busy machine disturbs every column alike.
#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/qt_dialogs.h"
#include "app/recovery_keeper.h"
#include "collection/gliffo_form.h"
#include "editor/qt/gliff_edit_form.h"
#include "editor/history.h"
#include "editor/qt/image_control.h"

namespace {

using namespace gliffo;
using Clock = std::chrono::steady_clock;

constexpr int Rounds = 7;
constexpr int StepsPerRound = 300;

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

// The pointer wanders inside the surface, a little further each step.
QPoint PointerAt(int step) { return QPoint(150 + (step * 7) % 90, 200 - (step * 5) % 120); }

template <class F>
void TimeSteps(std::vector<double>& out, int steps, F&& step) {
  for (int i = 0; i < steps; ++i) {
    const auto start = Clock::now();
    step(i);
    out.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
  }
}

enum class Figure { Line, Rectangle, RoundRect, Ellipse };

void QtFigure(QPainter& p, Figure figure, QPoint a, QPoint b) {
  const QRect r = QRect(a, b).normalized();
  switch (figure) {
    case Figure::Line: p.drawLine(a, b); break;
    case Figure::Rectangle: p.drawRect(r); break;
    case Figure::RoundRect: p.drawRoundedRect(r, 5, 5); break;
    case Figure::Ellipse: p.drawEllipse(r); break;
  }
}

struct Rig {
  Rig()
      : application(std::make_unique<TQtDialogService>("Gliffo 2"), "/tmp/gliffo-bench/gliffo"),
        collection(application),
        editor(application, collection) {
    collection.AttachEditor(&editor);
    editor.ShowEditor();
    QCoreApplication::processEvents();
  }
  ~Rig() { collection.AttachEditor(nullptr); }
  TApplication application;
  TGliffoF collection;
  TGliffEditF editor;
};

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication qt(argc, argv);
  Rig rig;
  TGlyphEditor& model = rig.editor.Model();
  model.SetBackgroundIndex(7);  // a solid silver brush
  model.N31Click();             // 48 pixels at size 16

  struct Tool {
    const char* Name;
    void (TGlyphEditor::*Select)();
    Figure Shape;
  };
  const Tool tools[] = {{"line", &TGlyphEditor::Line1Click, Figure::Line},
                        {"rectangle", &TGlyphEditor::Rectangle1Click, Figure::Rectangle},
                        {"roundrect", &TGlyphEditor::RoundRectangle1Click, Figure::RoundRect},
                        {"ellipse", &TGlyphEditor::Ellipse1Click, Figure::Ellipse}};
  const QPoint start(40, 30);

  std::printf("%-10s %12s %12s %8s %12s %8s\n", "tool", "core us", "qpainter us", "ratio", "window us", "paints");
  for (const Tool& tool : tools) {
    std::vector<double> core, painter, window;
    const int paintsBefore = rig.editor.pic->Paints();
    QImage surface(256, 256, QImage::Format_RGB32);
    surface.fill(Qt::white);
    QImage glyph(16, 16, QImage::Format_RGB32);
    for (int round = 0; round < Rounds; ++round) {
      (model.*tool.Select)();
      model.picMouseDown(start.x(), start.y());
      model.picMouseMove(start.x() + 1, start.y() + 1);
      TimeSteps(core, StepsPerRound, [&](int i) {
        const QPoint p = PointerAt(i);
        model.picMouseMove(p.x(), p.y());
      });
      model.picMouseUp(PointerAt(StepsPerRound - 1).x(), PointerAt(StepsPerRound - 1).y());
      QCoreApplication::processEvents();

      QPoint last = start;
      TimeSteps(painter, StepsPerRound, [&](int i) {
        const QPoint p = PointerAt(i);
        {
          QPainter qp(&surface);
          qp.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
          qp.setPen(QPen(QBrush(Qt::black), 48, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
          qp.setBrush(QColor(0xC0, 0xC0, 0xC0));
          QtFigure(qp, tool.Shape, start, last);
          QtFigure(qp, tool.Shape, start, p);
        }
        QPainter reduce(&glyph);
        reduce.drawImage(QRect(0, 0, 16, 16), surface);
        last = p;
      });

      QWidget* pic = rig.editor.pic;
      QMouseEvent press(QEvent::MouseButtonPress, QPointF(start), pic->mapToGlobal(QPointF(start)), Qt::LeftButton,
                        Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(pic, &press);
      TimeSteps(window, StepsPerRound, [&](int i) {
        const QPointF p(PointerAt(i));
        QMouseEvent move(QEvent::MouseMove, p, pic->mapToGlobal(p), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(pic, &move);
        QCoreApplication::processEvents();  // the repaint of the changed area
      });
      QMouseEvent release(QEvent::MouseButtonRelease, QPointF(start), pic->mapToGlobal(QPointF(start)), Qt::LeftButton,
                          Qt::NoButton, Qt::NoModifier);
      QApplication::sendEvent(pic, &release);
      QCoreApplication::processEvents();
      model.Clear1Click();
      model.SetBackgroundIndex(8);
      model.SetBackgroundIndex(7);
    }
    const double c = Median(core), q = Median(painter);
    // The window column counts only if every step really repainted the surface.
    const int paints = rig.editor.pic->Paints() - paintsBefore;
    std::printf("%-10s %12.1f %12.1f %8.2f %12.1f %8d\n", tool.Name, c, q, c / q, Median(window), paints);
  }

  // A flood fill of the whole surface (its colour alternating) and a text stroke.
  std::vector<double> flood, text;
  model.Flood1Click();
  for (int round = 0; round < Rounds; ++round) {
    TimeSteps(flood, 20, [&](int i) {
      model.SetBackgroundIndex(i % 2 ? 9 : 12);
      model.picMouseDown(128, 128);
      model.picMouseUp(128, 128);
    });
  }
  model.Text1Click();
  for (int round = 0; round < Rounds; ++round) {
    TimeSteps(text, 20, [&](int i) {
      model.picMouseDown(60 + i, 120);
      model.picMouseUp(60 + i, 120);
    });
    model.Clear1Click();
  }
  std::printf("\nflood fill of the whole surface: %.1f us (median, model press and release)\n", Median(flood));
  std::printf("text stroke, \"B\" in arial 144: %.1f us (median, model press and release)\n", Median(text));

  // The history: recording one step (finding what changed on the surface and keeping it), for
  // a stroke of a few cells and for a change of the whole surface, then stepping back and
  // forward through the editor (the surface rewritten, the glyph, preview and window told).
  std::vector<double> recordStroke, recordWhole, back, forward;
  {
    TBitmap surface, glyph;
    surface.Assign(&model.pic());
    glyph.Assign(&model.Editor());
    TEditHistory history;
    history.Reset("start", surface, glyph);
    for (int round = 0; round < Rounds; ++round) {
      TimeSteps(recordStroke, 50, [&](int i) {
        surface.Canvas().Brush().SetColor(PaletteColors()[static_cast<std::size_t>(i % 16)]);
        surface.Canvas().FillRect(Rect(16 * (i % 12), 40, 16 * (i % 12) + 64, 88));
        history.Record("stroke", surface, glyph);
      });
      TimeSteps(recordWhole, 10, [&](int i) {
        surface.Canvas().Brush().SetColor(PaletteColors()[static_cast<std::size_t>(i % 16)]);
        surface.Canvas().FillRect(Rect(0, 0, 256, 256));
        history.Record("fill", surface, glyph);
      });
    }
    std::printf("history held after %d steps: %zu bytes\n", history.Count() - 1, history.BytesHeld());
  }
  model.Ellipse1Click();
  for (int k = 0; k < 40; ++k) {
    model.picMouseDown(20 + 5 * k, 30);
    model.picMouseMove(60 + 4 * k, 90 + 3 * k);
    model.picMouseUp(60 + 4 * k, 90 + 3 * k);
  }
  for (int round = 0; round < Rounds; ++round) {
    TimeSteps(back, 40, [&](int) { rig.editor.RunCommand([&] { model.StepBackward(); }); });
    TimeSteps(forward, 40, [&](int) { rig.editor.RunCommand([&] { model.StepForward(); }); });
  }
  std::printf("record a step: %.1f us for a 64 x 48 change, %.1f us for the whole surface (median)\n",
              Median(recordStroke), Median(recordWhole));
  std::printf("Step Backward: %.1f us, Step Forward: %.1f us (median, an ellipse stroke each, window told)\n",
              Median(back), Median(forward));

  // The recovery copy: whole freehand strokes through the window (press, 30 moves, release,
  // each event delivered and its repaint done) on a modified list of 2000 glyphs, without a
  // keeper and with one that looks after every stroke, as its timer would between strokes, so
  // the next stroke runs while the helper thread writes. A look during a stroke captures
  // nothing; the look after one captures the work on the window's thread, between strokes.
  {
    TBitmap strip;
    strip.SetWidth(16 * 2000);
    strip.SetHeight(16);
    strip.Canvas().Brush().SetColor(PaletteColors()[9]);
    strip.Canvas().FillRect(Rect(0, 0, 16 * 2000, 16));
    TGlyphCollection& list = rig.collection.Collection();
    list.ClearGlyphList();
    list.InsertStrip(strip, 0);  // modified from here on
    model.Free1Click();
    model.N11Click();
    QWidget* pic = rig.editor.pic;
    auto stroke = [&](int s, TRecoveryKeeper* keeper) {
      const QPointF from(20 + s % 200, 20);
      QMouseEvent press(QEvent::MouseButtonPress, from, pic->mapToGlobal(from), Qt::LeftButton, Qt::LeftButton,
                        Qt::NoModifier);
      QApplication::sendEvent(pic, &press);
      for (int i = 0; i < 30; ++i) {
        const QPointF p(20 + (s + i * 3) % 220, 20 + i * 7);
        QMouseEvent move(QEvent::MouseMove, p, pic->mapToGlobal(p), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(pic, &move);
        if (keeper && i == 15) keeper->Tick();  // a look in the middle of the stroke
        QCoreApplication::processEvents();
      }
      QMouseEvent release(QEvent::MouseButtonRelease, from, pic->mapToGlobal(from), Qt::LeftButton, Qt::NoButton,
                          Qt::NoModifier);
      QApplication::sendEvent(pic, &release);
      QCoreApplication::processEvents();
    };
    std::vector<double> plain, kept, looks, writes;
    TRecoveryKeeper keeper(rig.collection, model, "/tmp/gliffo-bench/state");
    for (int round = 0; round < Rounds; ++round) {
      TimeSteps(plain, 20, [&](int s) { stroke(s, nullptr); });
      TimeSteps(kept, 20, [&](int s) {
        stroke(s, &keeper);
        const auto look = Clock::now();
        keeper.Tick();
        looks.push_back(std::chrono::duration<double, std::micro>(Clock::now() - look).count());
      });
      const auto write = Clock::now();
      keeper.Wait();
      writes.push_back(std::chrono::duration<double, std::milli>(Clock::now() - write).count());
    }
    keeper.Finish();
    // The worst but the first of each kind, which pays for the first allocations and the
    // repaint of the new list; the very first is printed as it is.
    auto worst = [](std::vector<double> v) {
      if (v.size() < 2) return v.empty() ? 0.0 : v.front();
      return *std::max_element(v.begin() + 1, v.end());
    };
    std::printf("\nrecovery copy, a 2000-glyph list and the editor's glyph (%d copies written):\n",
                keeper.CopiesWritten());
    std::printf("  the first stroke after the list changed: %.1f us without, %.1f us with the keeper\n",
                plain.front(), kept.front());
    std::printf("  the first look (the list captured whole, between strokes): %.1f us\n", looks.front());
    std::printf("  whole stroke without a keeper: %.1f us median, %.1f us worst\n", Median(plain), worst(plain));
    std::printf("  whole stroke with the keeper:  %.1f us median, %.1f us worst (a stroke costs %.1f us more)\n",
                Median(kept), worst(kept), Median(kept) - Median(plain));
    std::printf("  the look after a stroke (capture, between strokes): %.1f us median, %.1f us worst\n",
                Median(looks), worst(looks));
    std::printf("  what was left of the last write on the helper thread: %.2f ms median\n", Median(writes));
  }
  return 0;
}
