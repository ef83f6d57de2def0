#include "image/ApplyPipeline.h"
#include "image/ExifOrientation.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

#include "image/ApplyLUT.h"
#include "image/GridEvaluator.h"
#include "image/JpegFile.h"

namespace zelvo {

namespace {

// Rows from the top that one step has finished, for the step after it.
class TRowCount {
 public:
  void Publish(int rows) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      rows_.store(rows, std::memory_order_release);
    }
    changed_.notify_all();
  }
  void Finish() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      finished_ = true;
    }
    changed_.notify_all();
  }
  // Waits until more than `seen` rows are done, or the step has finished;
  // the rows done then.
  int WaitBeyond(int seen) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return rows_.load(std::memory_order_relaxed) > seen || finished_; });
    return rows_.load(std::memory_order_relaxed);
  }
  void WaitFor(int rows) {
    if (rows_.load(std::memory_order_acquire) >= rows) return;
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return rows_.load(std::memory_order_relaxed) >= rows || finished_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::atomic<int> rows_{0};
  bool finished_ = false;
};

// Grades the rows of a picture being decoded, on its own thread, as they come.
class TGradingThread {
 public:
  TGradingThread(const TGridEvaluator& evaluator, TBitmap24& picture)
      : evaluator_(evaluator), pixels_(picture.Pixels()), width_(static_cast<std::size_t>(picture.Width())) {
    thread_ = std::thread([this] { Run(); });
  }
  ~TGradingThread() {
    decoded_.Finish();
    thread_.join();
  }
  TGradingThread(const TGradingThread&) = delete;
  TGradingThread& operator=(const TGradingThread&) = delete;

  void Decoded(int rows) { decoded_.Publish(rows); }
  void WaitForGraded(int rows) { graded_.WaitFor(rows); }

 private:
  void Run() {
    int done = 0;
    for (;;) {
      const int ready = decoded_.WaitBeyond(done);
      if (ready <= done) break;  // decoding ended, for good or not
      evaluator_.EvaluateBgr8(pixels_ + width_ * 3 * static_cast<std::size_t>(done),
                              width_ * static_cast<std::size_t>(ready - done));
      done = ready;
      graded_.Publish(done);
    }
    graded_.Finish();
  }

  const TGridEvaluator& evaluator_;
  std::uint8_t* const pixels_;
  const std::size_t width_;
  TRowCount decoded_;
  TRowCount graded_;
  std::thread thread_;
};

}  // namespace

std::string ApplyLUTToPictureBytes(const TLUT& lut, std::string_view bytes, TPictureType output) {
  if (!LooksLikeJpeg(bytes) || !HasUsableTable(lut)) {
    TBitmap24 picture = LoadPictureFromMemory(bytes);
    ApplyLUTToBitmap(lut, picture);
    return EncodePicture(picture, output);
  }
  const TGridEvaluator evaluator(lut);
  // Declared before the thread, so that the thread ends before the pixels
  // go, also when the decoder gives up half way.
  TBitmap24 picture;
  std::unique_ptr<TGradingThread> grading;
  bool alone = false;  // no second thread to be had: grade after decoding
  int orientation = 1;
  DecodeJpeg(bytes, picture, [&](int rows) {
    if (!grading && !alone) {
      try {
        grading = std::make_unique<TGradingThread>(evaluator, picture);
      } catch (const std::system_error&) {
        alone = true;
      }
    }
    if (grading) grading->Decoded(rows);
  }, &orientation);
  if (!grading) {
    ApplyLUTToBitmap(lut, picture);
    return EncodePicture(orientation == 1 ? std::move(picture) : UprightBitmap(picture, orientation), output);
  }
  if (orientation != 1) {
    // Graded in the stored order; written upright, as the preview shows it.
    grading.reset();  // every row graded
    return EncodePicture(UprightBitmap(picture, orientation), output);
  }
  if (output == TPictureType::Jpeg && !picture.Empty()) {
    return EncodeJpeg(picture, kJpegQuality, [&](int rows) { grading->WaitForGraded(rows); });
  }
  grading.reset();  // every row graded
  return EncodePicture(picture, output);
}

}  // namespace zelvo
