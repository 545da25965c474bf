#include "app/graph_view.h"
#include "test_application.h"

#include "app/vexmar_document.h"
#include "cli/active_line.h"
#include "graph/plane/explicit_curve.h"
#include "graph/space/graph_space_3d.h"
#include "model/clock.h"
#include "numeric/error_word.h"

#include <QApplication>
#include <QClipboard>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace vexmar {
namespace {

using test::application;

class GraphViewTest : public ::testing::Test {
protected:
  void SetUp() override {
    (void)application();
    view = std::make_unique<CGraphView>(document, clock);
    view->resize(400, 300);
    view->show();
    QApplication::processEvents();
  }

  // Types an equation into line `index` (added when missing) as a user would.
  void type(int index, const std::string& keys) { test::typeEquation(document, index, keys); }

  [[nodiscard]] int pixelsOfColour(QRgb colour) { return pixelsOfColour(view->picture(), colour); }
  [[nodiscard]] static int pixelsOfColour(const QImage& image, QRgb colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) count += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
    return count;
  }

  ManualClock clock{0, 1};
  VexmarDocument document;
  std::unique_ptr<CGraphView> view;
};

TEST_F(GraphViewTest, DrawGraphBuildsComputesAndShowsEveryEquation) {
  type(0, "y=x^2");
  type(1, "y=?");
  view->drawGraph();
  view->finishGraphs();
  EXPECT_TRUE(document.graphingOn());
  EXPECT_EQ(document.model().equation(0).graphIndex, 0);
  EXPECT_EQ(document.model().equation(1).graphIndex, -1);
  EXPECT_TRUE(view->container().allComplete());
  EXPECT_EQ(document.messageLine(1), "Can't graph equations with question marks");
  // The parabola in purple (0xCE00CE as a COLORREF).
  EXPECT_GT(pixelsOfColour(qRgb(0xCE, 0x00, 0xCE)), 100);

  view->graphOff();
  EXPECT_FALSE(document.graphingOn());
  EXPECT_EQ(pixelsOfColour(qRgb(0xCE, 0x00, 0xCE)), 0);
}

TEST_F(GraphViewTest, StatusOfAGraphReachesItsEquation) {
  type(0, "y=1000");
  view->drawGraph();
  view->finishGraphs();
  EXPECT_EQ(document.model().equation(0).status, static_cast<int>(GraphStatus::CurveOutsideRegion));
  EXPECT_EQ(document.messageLine(0), "Curve is outside the region shown");
}

TEST_F(GraphViewTest, EditsRebuildWhileGraphingIsOn) {
  type(0, "y=x");
  view->drawGraph();
  view->finishGraphs();
  type(0, "y=x+1");
  type(1, "y=2");
  document.noteEquationsEdited();
  view->finishGraphs();
  EXPECT_EQ(view->container().plane().graphCount(), 2);
  EXPECT_EQ(document.model().equation(1).graphIndex, 1);
}

TEST_F(GraphViewTest, ZoomInThenOutReturnsThePlaneScale) {
  const double scale = view->container().plane().settings().scale;
  view->zoomIn();
  EXPECT_LT(view->container().plane().settings().scale, scale);
  view->zoomOut();
  EXPECT_EQ(view->container().plane().settings().scale, scale);
}

TEST_F(GraphViewTest, TheWheelAndADoubleClickZoomAboutThePointer) {
  type(0, "y=x^2");
  view->drawGraph();
  view->finishGraphs();
  const CGraphPlane& plane = view->container().plane();
  const double ratio = view->devicePixelRatioF();
  const auto coordinatesAt = [&](QPoint p) {
    return std::pair{plane.mapping().xOf(std::floor(p.x() * ratio)),
                     plane.mapping().yOf(std::floor(p.y() * ratio))};
  };
  const auto wheel = [&](QPoint p, int angle) {
    QWheelEvent event(p, view->mapToGlobal(p), QPoint(), QPoint(0, angle), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(view.get(), &event);
  };
  const QPoint pointer(300, 60);
  const auto before = coordinatesAt(pointer);
  const double scale = plane.settings().scale;
  wheel(pointer, 120);
  EXPECT_LT(plane.settings().scale, scale);
  EXPECT_DOUBLE_EQ(coordinatesAt(pointer).first, before.first);
  EXPECT_DOUBLE_EQ(coordinatesAt(pointer).second, before.second);
  // Half notches add up; turning back restores the scale.
  wheel(pointer, -60);
  EXPECT_LT(plane.settings().scale, scale);
  wheel(pointer, -60);
  EXPECT_EQ(plane.settings().scale, scale);
  EXPECT_DOUBLE_EQ(coordinatesAt(pointer).first, before.first);

  const QPoint clicked(80, 220);
  const auto there = coordinatesAt(clicked);
  QTest::mouseDClick(view.get(), Qt::LeftButton, Qt::NoModifier, clicked);
  EXPECT_LT(plane.settings().scale, scale);
  EXPECT_DOUBLE_EQ(coordinatesAt(clicked).first, there.first);
  EXPECT_DOUBLE_EQ(coordinatesAt(clicked).second, there.second);
  view->finishGraphs();
  EXPECT_TRUE(view->container().allComplete());
}

TEST_F(GraphViewTest, ResizingKeepsTheMiddleOfTheViewInTheMiddle) {
  type(0, "y=x");
  view->drawGraph();
  view->finishGraphs();
  QTest::mousePress(view.get(), Qt::LeftButton, Qt::ControlModifier, QPoint(100, 50));
  QTest::mouseMove(view.get(), QPoint(140, 20));
  QTest::mouseRelease(view.get(), Qt::LeftButton, Qt::ControlModifier, QPoint(140, 20));
  const PlaneMapping& m = view->container().plane().mapping();
  const auto middle = [&] {
    return std::pair{m.xOf(m.rect.left + m.rect.width() / 2), m.yOf(m.rect.bottom - 1 - m.rect.height() / 2)};
  };
  const auto before = middle();
  view->resize(520, 200);
  QApplication::processEvents();
  EXPECT_EQ(m.rect.width(), static_cast<int>(std::lround(520 * view->devicePixelRatioF())));
  EXPECT_DOUBLE_EQ(middle().first, before.first);
  EXPECT_DOUBLE_EQ(middle().second, before.second);
  // The curve is drawn again in full at its new place.
  view->finishGraphs();
  EXPECT_GT(pixelsOfColour(qRgb(0xCE, 0x00, 0xCE)), 150);
}

TEST_F(GraphViewTest, ThePlaneStopsAtTheLimitsOfDoublesAndSaysWhy) {
  QSignalSpy notices(view.get(), &CGraphView::statusMessage);
  for (int i = 0; i < 3000 && notices.isEmpty(); ++i) view->zoomOut();
  ASSERT_EQ(notices.size(), 1);
  (void)takeError();
  notices.clear();
  // Dragging on at the largest scale: the axes stay drawn and the status bar says why it stops.
  QTest::mousePress(view.get(), Qt::LeftButton, Qt::ControlModifier, QPoint(10, 150));
  for (int x = 20; x < 400; x += 10) QTest::mouseMove(view.get(), QPoint(x, 150));
  for (int i = 0; i < 100; ++i) {
    QTest::mouseMove(view.get(), QPoint(10, 150));
    QTest::mouseMove(view.get(), QPoint(390, 150));
  }
  QTest::mouseRelease(view.get(), Qt::LeftButton, Qt::ControlModifier, QPoint(390, 150));
  EXPECT_FALSE(notices.isEmpty());
  const AxesLayout axes = view->container().plane().layoutAxes();
  EXPECT_TRUE(axes.xAxis.drawn && axes.yAxis.drawn);
  // Black axes still cross the pane.
  EXPECT_GT(pixelsOfColour(qRgb(0, 0, 0)), 300);
  EXPECT_EQ(pendingError(), Error::None);
}

TEST_F(GraphViewTest, CurveModeAndRecolourReachTheCurrentGraph) {
  type(0, "y=x");
  view->drawGraph();
  view->finishGraphs();
  view->setCurveMode(0);
  EXPECT_EQ(document.model().equation(0).curveMode, 0.0);
  const auto* curve = dynamic_cast<const CExplicitCurve*>(view->container().plane().graph(0));
  ASSERT_NE(curve, nullptr);
  EXPECT_EQ(curve->curveMode(), 0);
  ASSERT_TRUE(document.setColourCode(0, 2.0));
  view->finishGraphs();
  EXPECT_GT(pixelsOfColour(qRgb(0xFF, 0, 0)), 100);
}

TEST_F(GraphViewTest, DraggingTheMousePansAndResetRestores) {
  type(0, "y=x");
  view->drawGraph();
  view->finishGraphs();
  const double xMin = view->container().plane().settings().xMin;
  // Control+drag moves the axes wherever the press is.
  QTest::mousePress(view.get(), Qt::LeftButton, Qt::ControlModifier, QPoint(100, 50));
  QTest::mouseMove(view.get(), QPoint(132, 50));
  QTest::mouseRelease(view.get(), Qt::LeftButton, Qt::ControlModifier, QPoint(132, 50));
  // 64 screen-independent pixels per unit on any screen.
  EXPECT_DOUBLE_EQ(view->container().plane().settings().xMin, xMin - 32.0 / 64);
  view->resetGraph();
  EXPECT_DOUBLE_EQ(view->container().plane().settings().xMin, xMin);
  EXPECT_TRUE(document.graphingOn());
}

TEST_F(GraphViewTest, PressingOnACurveShowsAReadoutUntilRelease) {
  type(0, "y=x^2");
  view->drawGraph();
  view->finishGraphs();
  const PlaneMapping& m = view->container().plane().mapping();
  const double ratio = view->devicePixelRatioF();
  const QPoint onCurve(static_cast<int>(m.columnOf(1.0) / ratio), static_cast<int>(m.rowOf(1.0) / ratio));
  const QRgb readoutBlue = qRgb(0, 0, 160);
  EXPECT_EQ(pixelsOfColour(readoutBlue), 0);
  QTest::mousePress(view.get(), Qt::LeftButton, Qt::NoModifier, onCurve);
  EXPECT_EQ(view->container().plane().dragMode(), DragMode::Reading);
  EXPECT_NEAR(view->container().plane().readout().x, 1.0, 2 * m.unitsPerPixelX);
  EXPECT_GT(pixelsOfColour(readoutBlue), 10);
  QTest::mouseRelease(view.get(), Qt::LeftButton, Qt::NoModifier, onCurve);
  EXPECT_EQ(pixelsOfColour(readoutBlue), 0);
}

// A surface turns by itself once computed, a click holds it still, and a drag turns it.
TEST_F(GraphViewTest, AGraphInSpaceSpinsUntilClickedAndTurnsWithADrag) {
  type(0, "z=x y");
  view->drawGraph();
  view->finishGraphs();
  ASSERT_TRUE(view->container().is3DActive());
  EXPECT_EQ(document.messageLine(0), "");
  // Lit in its default purple: many shades of it, not one flat colour.
  const QImage picture = view->picture();
  int purple = 0;
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x) {
      const QRgb p = picture.pixel(x, y);
      purple += qGreen(p) < 40 && qRed(p) > 60 && std::abs(qRed(p) - qBlue(p)) < 40;
    }
  EXPECT_GT(purple, 2000);

  const CGraphSpace3D& space = view->container().space3D();
  const auto turned = [&](const Matrix3& before) { return space.orientation != before; };
  Matrix3 before = space.orientation;
  clock.advance(1000);
  view->idleStep();
  EXPECT_TRUE(turned(before));

  // A click on the surface (it passes through the centre of the box) only stops it, and says so.
  QSignalSpy hints(view.get(), &CGraphView::statusMessage);
  const QPoint centre(view->width() / 2, view->height() / 2);
  QTest::mousePress(view.get(), Qt::LeftButton, Qt::NoModifier, centre);
  QTest::mouseMove(view.get(), centre + QPoint(30, 20));
  QTest::mouseRelease(view.get(), Qt::LeftButton, Qt::NoModifier, centre + QPoint(30, 20));
  before = space.orientation;
  clock.advance(1000);
  view->idleStep();
  EXPECT_FALSE(turned(before));
  ASSERT_EQ(hints.count(), 1);
  EXPECT_EQ(hints.at(0).at(0).toString(), "Clicking on the 3D surface stops it from spinning.");

  // A drag beside it turns the box and, let go while moving, leaves it spinning.
  const QPoint corner(10, 10);
  QTest::mousePress(view.get(), Qt::LeftButton, Qt::NoModifier, corner);
  QTest::mouseMove(view.get(), QPoint(60, 30));
  EXPECT_TRUE(turned(before));
  QTest::mouseRelease(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(60, 30));
  ASSERT_EQ(hints.count(), 2);
  EXPECT_EQ(hints.at(1).at(0).toString(), "Dragging the surface spins it.");
}

TEST_F(GraphViewTest, CopyGraphPutsThePictureOnTheClipboard) {
  type(0, "y=x");
  view->drawGraph();
  view->finishGraphs();
  view->copyGraph();
  const QImage copied = QApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
  const QImage shown = view->picture().convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(copied.size(), shown.size());
  EXPECT_TRUE(copied == shown) << "the copy differs from the picture in the pane";
  // The picture holds the graph itself, not only a background: y = x crosses the pane in purple.
  EXPECT_GT(pixelsOfColour(copied, qRgb(0xCE, 0x00, 0xCE)), 100);
}

} // namespace
} // namespace vexmar
