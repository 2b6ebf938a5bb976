#pragma once
// The properties of files, folders and drives: one non-modal window per call.
// Sizes and contents are counted in the background with a live count that
// stops when the window closes; permissions are changed as the boxes change.

#include <QDialog>
#include <QStringList>

#include <atomic>
#include <memory>

class QLabel;
class QTimer;
class TSmartTask;

class TPropertiesDialog : public QDialog {
public:
    TPropertiesDialog(const QStringList& Paths, QWidget* Parent);
    ~TPropertiesDialog() override;

    // The count so far, and whether it is complete.
    qint64 CountedBytes() const { return bytes_.load(); }
    bool CountDone() const { return done_.load(); }

private:
    void AddPermissions(class QFormLayout* form, const QString& path, unsigned mode);
    void ShowCount();

    QStringList paths_;
    QLabel* size_ = nullptr;
    QTimer* timer_ = nullptr;
    std::unique_ptr<TSmartTask> task_;
    std::atomic<qint64> bytes_{0};
    std::atomic<qint64> files_{0};
    std::atomic<qint64> folders_{0};
    std::atomic<bool> done_{false};
};
