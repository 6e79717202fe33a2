#pragma once
// The naming tokens of the batch conversion: the one table the options dialog fills its lists
// from, and the resolver that turns a chosen token into text for one image. Token texts are
// stored in the settings file, so they are compared exactly and never translated.
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>

namespace plat::com {
class ControlHost;
}

namespace output {

// The lists of the options dialog a token belongs to.
enum class TokenList { Naming, Separator, Counter };

// The entries of one list, in the order the dialog offers them.
QStringList TokensOf(TokenList list);

// The control host's dynamic property the batch loop sets to "W x H" right after loading, before
// any task; "[Source resolution]" reads it back.
inline constexpr char kContainerTag[] = "Tag";

// "[WhiteSpace]" is a blank, "[No Separator]" nothing, any other text itself.
QString fncSeparatorText(const QString& token);

// The text a prefix or suffix token yields for the image in control, loaded from sourcePath and
// to be written with extension ext (no dot). A text that is no token comes back as it stands;
// a failure is reported and gives the empty text.
QString fncRetrieveNamingString(plat::com::ControlHost& control, const QString& token,
                                const QString& sourcePath, const QString& ext);

// "m.d.yyyy" and "m.d.yyyy h.mm.ss AM/PM" with literal full stops, the same on every machine.
QString NamingDate(const QDateTime& value);
QString NamingDateTime(const QDateTime& value);
// An automation date (days from 30 December 1899) as the local date and time it names.
QDateTime FromAutomationDate(double date);

// Where "now" comes from; tests put a fixed clock in (null restores the real one).
void SetNamingClock(std::function<QDateTime()> clock);

}  // namespace output
