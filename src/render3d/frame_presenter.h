#pragma once

namespace vexmar {

class FrameBuffer;

/// Copies a finished frame to the window; the platform provides it.
class FramePresenter {
public:
  virtual ~FramePresenter() = default;
  /// Returns false when the frame was dropped (window hidden or busy); that is not an error.
  virtual bool present(const FrameBuffer& frame) = 0;
};

} // namespace vexmar
