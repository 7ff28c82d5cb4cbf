#pragma once
// The text area of a lesson: a word-wrapping text box that reports a change only
// when its text really changes (setting the text it holds reports nothing), and
// reports a click on it.

#include <QPlainTextEdit>

namespace valthera {

class TopicText : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TopicText(QWidget *parent = nullptr);

    void setText(const QString &text);
    void setReadOnly(bool readOnly);
    QString text() const { return known_; }

signals:
    void changed();
    void clicked();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void noteChange();

    QString known_;
};

} // namespace valthera
