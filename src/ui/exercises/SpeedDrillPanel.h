#pragma once
// The copying drill that callsign and word training share: one item at a time is
// played at a speed that follows the learner, typed and scored at Enter; a run ends
// with a report, a history row and the best ten of its setting.

#include "exercises/DrillHistory.h"
#include "exercises/PracticeText.h"
#include "exercises/SpeedDrill.h"

#include <QStringList>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTableWidget;
class QTextBrowser;

// How a practice window plays a short text at a speed of its own through the main
// window's engine; the main window reports the end through playingEnded().
struct ItemPlayer {
    std::function<bool(const QString &text, int wpm)> play;   // false: not started
    std::function<void()> stop;
};

class SpeedDrillPanel : public QWidget {
    Q_OBJECT
public:
    // One source of items: its name in the list, its short name in the history, and
    // the items (made up afresh for each run when generate is set).
    struct Source {
        QString caption;
        QString id;
        QStringList items;
        std::function<QString(const practice::Uniform &)> generate;
    };
    enum class Kind { Calls, Words };

    SpeedDrillPanel(Kind kind, std::vector<Source> sources, ItemPlayer player, int startWpm,
                    QString historyPath, QWidget *parent);

    // The main window's report that the item has played out or was stopped.
    void playingEnded();
    bool isRunning() const { return m_run.has_value(); }
    // Ends a run without scoring the rest (Escape, closing).
    void abortRun();

    // A new random source for every run (a fixed seed in tests).
    std::function<practice::Uniform()> newRandom = practice::clockSeededUniform;

    QComboBox *cboKilde;
    QComboBox *cboAntal;
    QSpinBox *txtStart;
    QComboBox *cboTrin;
    QSpinBox *txtMindst;
    QSpinBox *txtHøjst;
    QPushButton *cmdImporter;
    QLabel *lblStatus;
    QLineEdit *txtAfskrift;
    QPushButton *cmdStart;
    QPushButton *cmdIgen;
    QPushButton *cmdStop;
    QTabWidget *tabVisning;
    QTextBrowser *txtResultat;
    QTableWidget *tblBedste;
    QLabel *lblHistorik;

    const std::optional<drill::Run> &run() const { return m_run; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void cmdStart_Click();
    void cmdIgen_Click();
    void cmdStop_Click();
    void cmdImporter_Click();
    void txtAfskrift_Return();
    void playCurrent();
    void finishRun();
    void showBest();
    void updateControls();
    QString settingKey() const;
    const Source &source() const;

    Kind m_kind;
    std::vector<Source> m_sources;
    ItemPlayer m_player;
    drill::DrillHistory m_history;
    std::vector<drill::RunRecord> m_records;
    std::optional<drill::Run> m_run;
    QStringList m_items;            // this run's items, in playing order
    bool m_playing = false;
    bool m_replayed = false;        // the current item has been played again
    bool m_pausing = false;         // between a scored copy and the next item
    bool m_statsFailed = false;     // this run's statistics could not be written
};
