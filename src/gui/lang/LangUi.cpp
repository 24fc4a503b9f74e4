#include "gui/lang/LangUi.h"

#include "core/lang/FillText.h"
#include "core/lang/LangCatalog.h"

#include <QAbstractButton>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

namespace orvik {

QDialogButtonBox* OkCancelButtons(LangCatalog& texts, QDialog* dialog) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    const QString ok = QString::fromStdString(texts.resource(1));
    const QString cancel = QString::fromStdString(texts.resource(2));
    if (!ok.isEmpty())
        buttons->button(QDialogButtonBox::Ok)->setText(ok);
    if (!cancel.isEmpty())
        buttons->button(QDialogButtonBox::Cancel)->setText(cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

QString FillText(const QString& pattern, const QStringList& values) {
    std::vector<std::string> v;
    for (const QString& value : values)
        v.push_back(value.toStdString());
    return QString::fromStdString(FillText(pattern.toStdString(), v));
}

namespace {
constexpr const char* IdProperty = "orvikControlId";

void setControlText(QWidget* w, const QString& text) {
    if (auto* label = qobject_cast<QLabel*>(w))
        label->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(w))
        button->setText(text);
    else if (auto* group = qobject_cast<QGroupBox*>(w))
        group->setTitle(text);
    else if (auto* edit = qobject_cast<QLineEdit*>(w))
        edit->setText(text);
}

void applyToChildren(LangCatalog& catalog, QWidget* parent) {
    for (QObject* child : parent->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (!w || w->isWindow())
            continue;
        if (int id = ControlId(w)) {
            const std::string text = catalog.resource(id);
            if (!text.empty())
                setControlText(w, QString::fromStdString(text));
        }
        applyToChildren(catalog, w);
    }
}
} // namespace

QString LangText(LangCatalog& catalog, std::string_view key) {
    return QString::fromStdString(catalog.text(key));
}

void SetControlId(QWidget* control, int id) {
    control->setProperty(IdProperty, id);
}

int ControlId(const QObject* control) {
    const QVariant v = control->property(IdProperty);
    return v.isValid() ? v.toInt() : 0;
}

void ApplyDialogTexts(LangCatalog& catalog, QWidget* window, int dialogId) {
    const std::string caption = catalog.resource(dialogId);
    if (!caption.empty())
        window->setWindowTitle(QString::fromStdString(caption));
    applyToChildren(catalog, window);
}

} // namespace orvik
