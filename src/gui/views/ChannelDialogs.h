#pragma once
// The dialogs of the table's commands on several channels: Edit Selected Channels (every field a
// channel has besides its frequencies, each behind a tick box) and Fill Frequencies (a start,
// a step and an optional transmit offset). They only gather the values; the view applies them
// through the document.

#include "core/model/ChannelBulk.h"

#include <QDialog>

#include <array>
#include <optional>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace orvik {

class LangCatalog;

class CEditChannelsDlg : public QDialog {
    Q_OBJECT
public:
    // The lists start at the values of `channel` (a channel in use of `image`).
    CEditChannelsDlg(LangCatalog& texts, const RadioImage& image, int channel,
                     QWidget* parent = nullptr);

    // The ticked fields with their values.
    ChannelEdit edit() const;
    // The tick box and the value list of a table column (2, 4 to 9); null for others.
    QCheckBox* tick(int column) const;
    QComboBox* value(int column) const;

private:
    std::array<QCheckBox*, ChannelColumnCount> ticks{};
    std::array<QComboBox*, ChannelColumnCount> values{};
};

class CFillDlg : public QDialog {
    Q_OBJECT
public:
    // `start`: the frequency text the start field shows first.
    CFillDlg(LangCatalog& texts, const QString& start, QWidget* parent = nullptr);

    // The fill as entered; empty when a field holds no usable number.
    std::optional<FrequencyFill> fill() const;

    QLineEdit* startEdit() const { return start; }
    QComboBox* stepList() const { return step; }
    QCheckBox* offsetTick() const { return useOffset; }
    QLineEdit* offsetEdit() const { return offset; }

    void accept() override;

private:
    LangCatalog& texts;
    QLineEdit* start = nullptr;
    QComboBox* step = nullptr;
    QCheckBox* useOffset = nullptr;
    QLineEdit* offset = nullptr;
};

} // namespace orvik
