// What a batch did: the record the conversion dialog keeps while it runs,
// and the window that shows it when there is something to say (a failure,
// a file passed over after an error, a warning, the files verified).
#include <optional>

#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "convert/ConvertJob.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;

namespace zelvo {

struct TBatchFile {
  std::string Source;  // full paths
  std::string Target;
  TFileOutcome Outcome = TFileOutcome::Converted;
  std::string Reason;  // a skipped file: why; a failed one: its error
  // What reading the written file back found, where it was verified.
  std::optional<TVerification> Verification;
};

struct TBatchWarning {
  std::string Source;
  std::string Text;  // what the written table loses, one sentence
};

struct TBatchSummary {
  std::string OutputFolder;
  // Each checked file the batch reached, in list order.
  std::vector<TBatchFile> Files;
  // The checked files it did not reach, after Stop or Cancel.
  std::vector<std::string> NotConverted;
  std::vector<TBatchWarning> Warnings;
  bool Stopped = false;    // by Stop in an error box
  bool Cancelled = false;  // by Cancel in a question or the progress dialog

  int Count(TFileOutcome outcome) const;
  int Converted() const { return Count(TFileOutcome::Converted); }
  int Skipped() const { return Count(TFileOutcome::Skipped); }
  int Failed() const { return Count(TFileOutcome::Failed); }
  // The files read back and compared with their sources, and those of them
  // whose verification failed.
  int Verified() const;
  int VerificationsFailed() const;
  // A failure (also one passed over), a warning or a file verified: worth
  // the window. A batch that simply succeeds, or ends by Cancel or No
  // answers, stays quiet.
  bool HasSomethingToSay() const { return Failed() > 0 || !Warnings.empty() || Verified() > 0; }
};

// The summary window: counts, every file with what became of it (and what
// its verification found), the warnings, and a button that opens the output folder in the desktop's file
// manager. Not modal: it stays beside the main window until closed.
class TfrmBatchSummary : public QDialog {
  Q_OBJECT

 public:
  TfrmBatchSummary(QWidget* owner, TBatchSummary summary);

  const TBatchSummary& Summary() const { return summary_; }

  QLabel* lblCounts;
  QLabel* lblFolder;
  QLabel* lblEnd;
  QLabel* lblVerified;
  QTreeWidget* lvwFiles;
  QLabel* lblWarnings;
  QPlainTextEdit* memWarnings;
  QPushButton* btnOpenFolder;
  QPushButton* btnClose;

 private:
  void btnOpenFolderClick();

  TBatchSummary summary_;
};

// Shows the window for a batch, owned by `owner` (the main window), in place
// of one that an earlier batch left open; deleted when closed.
TfrmBatchSummary* ShowBatchSummary(QWidget* owner, const TBatchSummary& summary);

}  // namespace zelvo
