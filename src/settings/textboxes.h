#pragma once
// The settings editor's two text boxes.
//
// Both take a character limit for typing and pasting only: text that is already longer (read from
// the file) is the user's, so it is shown and kept whole, and can still be shortened.

#include <QLineEdit>
#include <QPlainTextEdit>

#include <optional>

namespace zimbrel {

// A one-line box for the password length.
class LimitedLineEdit : public QLineEdit
{
    Q_OBJECT
public:
    LimitedLineEdit(int limit, QWidget *parent = nullptr);
    int limit() const { return m_limit; }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;

private:
    // Inserts `text` in place of the selection, cut to what the limit leaves room for.
    void insertLimited(const QString &text);
    bool pasteLimited();

    int m_limit;
    QString m_current;
    QString m_before;
};

// The multi-line box for the allowed character set, which wraps one line of text. It holds its
// text raw: a lone CR, a lone LF and the no-break space stay exactly as they were read (shown as
// the symbols for CR and LF), while no line break is ever typed or pasted into it (the set is line
// 1 of settings.ini; pasted lines join). It accepts only characters that Windows-1252 can store.
// Enter is left to the form (its default button); Ctrl+Enter does nothing.
//
// Laying out one wrapped paragraph costs time that grows with the square of its length, and a
// settings file may hold megabytes on one line. No set needs more than the 256 codes there are,
// so a text longer than kShownLimit is kept whole, shown in part, and not editable.
class CharacterSetEdit : public QPlainTextEdit
{
    Q_OBJECT
public:
    CharacterSetEdit(int limit, QWidget *parent = nullptr);

    static constexpr int kShownLimit = 8192;

    QString rawText() const;
    void setRawText(const QString &text);
    int limit() const { return m_limit; }
    // Whether the box holds a text too long to show and edit.
    bool holdsLongText() const { return m_held.has_value(); }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    bool canInsertFromMimeData(const QMimeData *source) const override;
    void insertFromMimeData(const QMimeData *source) override;

private:
    void insertRaw(const QString &raw);
    int rawLength(const QString &shown) const;

    int m_limit;
    std::optional<QString> m_held;
};

// What the set box shows for raw text, and the raw text for what it shows.
QString rawToShown(const QString &raw);
QString shownToRaw(const QString &shown);

} // namespace zimbrel
