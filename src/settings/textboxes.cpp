#include "textboxes.h"

#include "platform/cp1252.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <QValidator>

namespace zimbrel {
namespace {

constexpr QChar kShownCr(0x240D);   // SYMBOL FOR CARRIAGE RETURN
constexpr QChar kShownLf(0x240A);   // SYMBOL FOR LINE FEED
constexpr QChar kParagraph(0x2029); // how the document separates its lines

// The characters of `text` the settings file can store.
QString storable(const QString &text)
{
    QString kept;
    kept.reserve(text.size());
    for (QChar c : text) {
        if (isAnsiChar(c))
            kept += c;
    }
    return kept;
}

// A key that types text: a printable character, or one outside the basic plane (an emoji from an
// input method or a key map), which the boxes then refuse as they refuse it pasted.
bool isTyping(const QKeyEvent *event)
{
    const QString text = event->text();
    return !text.isEmpty() && (text.at(0).isPrint() || text.at(0).isSurrogate())
        && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
}

// Drops what Windows-1252 cannot store from any text that enters a box, however it enters.
class StorableOnly : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override
    {
        const QString kept = storable(input);
        if (kept.size() != input.size()) {
            pos = int(storable(input.left(pos)).size());
            input = kept;
        }
        return Acceptable;
    }
};

} // namespace

QString rawToShown(const QString &raw)
{
    QString shown;
    shown.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QChar c = raw.at(i);
        if (c == u'\r' && i + 1 < raw.size() && raw.at(i + 1) == u'\n') {
            shown += u'\n';
            ++i;
        } else if (c == u'\r') {
            shown += kShownCr;
        } else if (c == u'\n') {
            shown += kShownLf;
        } else {
            shown += c;
        }
    }
    return shown;
}

QString shownToRaw(const QString &shown)
{
    QString raw;
    raw.reserve(shown.size() + 8);
    for (QChar c : shown) {
        if (c == kParagraph || c == u'\n')
            raw += QStringLiteral("\r\n");
        else if (c == kShownCr)
            raw += u'\r';
        else if (c == kShownLf)
            raw += u'\n';
        else
            raw += c;
    }
    return raw;
}

// --- LimitedLineEdit ---------------------------------------------------------------------------

LimitedLineEdit::LimitedLineEdit(int limit, QWidget *parent)
    : QLineEdit(parent)
    , m_limit(limit)
{
    // The settings file stores only what Windows-1252 can hold; anything else would fail the save.
    setValidator(new StorableOnly(this));
    // Typing and the paste keys are cut to the limit below; any other way in (the context menu, a
    // middle-click paste, a drop) that would grow the text past it is undone.
    connect(this, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_before = m_current;
        m_current = text;
    });
    connect(this, &QLineEdit::textEdited, this, [this](const QString &text) {
        const QString old = m_current == text ? m_before : m_current;
        if (text.size() > m_limit && text.size() > old.size())
            setText(old);
    });
}

void LimitedLineEdit::insertLimited(const QString &typed)
{
    const QString text = storable(typed);
    if (text.isEmpty()) {
        if (!typed.isEmpty())
            QApplication::beep();
        return;
    }
    const int room = m_limit - int(this->text().size() - selectedText().size());
    if (room <= 0) {
        QApplication::beep();
        return;
    }
    insert(text.left(room));
}

bool LimitedLineEdit::pasteLimited()
{
    const QString text = QApplication::clipboard()->text().split(u'\n').value(0);
    insertLimited(text);
    return true;
}

void LimitedLineEdit::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Paste) && !isReadOnly()) {
        pasteLimited();
        return;
    }
    if (isTyping(event)) {
        insertLimited(event->text());
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void LimitedLineEdit::inputMethodEvent(QInputMethodEvent *event)
{
    if (!event->commitString().isEmpty() && event->preeditString().isEmpty()) {
        insertLimited(event->commitString());
        event->accept();
        return;
    }
    QLineEdit::inputMethodEvent(event);
}

// --- CharacterSetEdit --------------------------------------------------------------------------

CharacterSetEdit::CharacterSetEdit(int limit, QWidget *parent)
    : QPlainTextEdit(parent)
    , m_limit(limit)
{
    setTabChangesFocus(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
}

QString CharacterSetEdit::rawText() const
{
    if (m_held)
        return *m_held;
    // toRawText keeps the no-break space, which toPlainText would turn into a blank.
    return shownToRaw(document()->toRawText());
}

void CharacterSetEdit::setRawText(const QString &text)
{
    if (text.size() <= kShownLimit) {
        m_held.reset();
        setReadOnly(false);
        setPlainText(rawToShown(text));
        return;
    }
    m_held = text;
    setReadOnly(true);
    setPlainText(rawToShown(text.left(kShownLimit))
                 + tr("\u2026\n(%1 characters in all, kept as they are)").arg(text.size()));
}

int CharacterSetEdit::rawLength(const QString &shown) const
{
    return int(shownToRaw(shown).size());
}

void CharacterSetEdit::insertRaw(const QString &raw)
{
    // The set is line 1 of settings.ini: a line break typed or pasted into it would end the line
    // there, and the rest would be read as the length.
    QString text = storable(raw);
    text.remove(u'\r');
    text.remove(u'\n');
    const QTextCursor cursor = textCursor();
    const int room = m_limit - (rawLength(document()->toRawText()) - rawLength(cursor.selectedText()));
    if (room <= 0 || text.isEmpty()) {
        if (!text.isEmpty())
            QApplication::beep();
        return;
    }
    insertPlainText(text.left(room));
}

void CharacterSetEdit::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    // A long text held whole is replaced as a whole: with everything selected, typing, pasting or
    // deleting starts an empty, editable box.
    if (m_held && textCursor().selectedText().size() == document()->characterCount() - 1
        && (isTyping(event) || event->matches(QKeySequence::Paste) || key == Qt::Key_Backspace
            || key == Qt::Key_Delete)) {
        m_held.reset();
        setReadOnly(false);
        clear();
        if (key == Qt::Key_Backspace || key == Qt::Key_Delete)
            return;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (event->modifiers() & Qt::ControlModifier) {
            // No line break: the set is one line.
            QApplication::beep();
            return;
        }
        // The form presses its default button.
        event->ignore();
        return;
    }
    if (event->matches(QKeySequence::Paste) && !isReadOnly()) {
        insertFromMimeData(QApplication::clipboard()->mimeData());
        return;
    }
    if (isTyping(event)) {
        insertRaw(event->text());
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void CharacterSetEdit::inputMethodEvent(QInputMethodEvent *event)
{
    if (!event->commitString().isEmpty() && event->preeditString().isEmpty()) {
        insertRaw(event->commitString());
        event->accept();
        return;
    }
    QPlainTextEdit::inputMethodEvent(event);
}

bool CharacterSetEdit::canInsertFromMimeData(const QMimeData *source) const
{
    return source && source->hasText();
}

void CharacterSetEdit::insertFromMimeData(const QMimeData *source)
{
    if (!source || !source->hasText())
        return;
    // Pasted lines join into one: the set holds no line break.
    insertRaw(source->text());
}

} // namespace zimbrel
