#include "app/graph_view.h"
#include "test_application.h"

#include "app/vexmar_document.h"
#include "cli/active_line.h"
#include "graph/plane/explicit_curve.h"
#include "model/clock.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>

#include <gtest/gtest.h>

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
  void type(int index, const std::string& keys) {
    while (document.equationCount() <= index) document.model().addEquation(document.equationCount() - 1);
    ActiveLine active;
    std::string error;
    ASSERT_TRUE(active.typeKeys(keys, error)) << error;
    document.model().equation(index).insertionPoint->setRoot(cloneTree(*active.line().root));
  }

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
