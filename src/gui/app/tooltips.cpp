#include "gui/app/tooltips.h"

#include <QEvent>
#include <QWidget>

#include <utility>

namespace kesmora::gui {

namespace {

struct AspectName {
  int angleDeg;
  const char* name;
};
constexpr AspectName kAspectNames[] = {
    {0, "conjunction"},   {18, "vigintile"},   {20, "novendecile"},    {24, "quindecile"},  {30, "semi-sextile"},
    {36, "decile"},       {40, "novile"},      {45, "semi-square"},    {60, "sextile"},     {72, "quintile"},
    {80, "binovile"},     {90, "square"},      {108, "tredecile"},     {120, "trine"},      {135, "sesquiquadrate"},
    {144, "biquintile"},  {150, "quincunx"},   {160, "quadnovile"},    {165, "quindecile"}, {180, "opposition"}};

// Tips by object name; Person 2's fields insert "Diurnal" and share Person 1's tips.
const std::pair<const char*, const char*> kTips[] = {
    {"txtName", "Name of the person or event; it may not hold a comma."},
    {"txtMonth", "Month, 1 to 12."},
    {"txtDay", "Day of the month."},
    {"txtYear", "Year with four digits; a minus sign is accepted."},
    {"txtBirthHour", "Hour on the 12-hour clock, 1 to 12, with AM or PM.\nTyping 13 to 23 selects PM; 0 gives 12."},
    {"txtBirthMinute", "Minutes, 0 to 59."},
    {"optUnknown", "The time is not known: noon (12:00) is used."},
    {"txtTZ",
     "Time zone: hours added to the clock time to give universal time.\n"
     "West of Greenwich positive, east negative (New York 5, Paris -1)."},
    {"cmdAdjTZ", "Puts the local mean time of the longitude into Time Zone (degrees / 15, east negative)."},
    {"cmdSubtractOneHour", "Takes one hour off Time Zone, for summer time; once until Adjust TZ is pressed."},
    {"cmdNow", "Fills the block with the present moment at the home place of OPTIONS.OPT (options 18 to 24)."},
    {"txtLongDeg",
     "Longitude, whole degrees 0 to 180, without a sign: choose East or West beside.\n"
     "Names files write longitude West positive."},
    {"txtLongMin", "Longitude, minutes of arc 0 to 59."},
    {"optEast", "East of Greenwich: Time Zone becomes negative."},
    {"optWest", "West of Greenwich: Time Zone becomes positive."},
    {"txtLatDeg", "Latitude, whole degrees 0 to 90, without a sign: choose North or South beside."},
    {"txtLatMin", "Latitude, minutes of arc 0 to 59."},
    {"cmdACS_Atlas", "Looks the city up in the atlas and fills in coordinates and time zone."},
    {"cmdSave", "Stores this block in a names file of your choice."},
    {"optPerson1", "A name chosen in the list fills Person 1 (natal)."},
    {"optPerson2", "A name chosen in the list fills Person 2 (transit)."},
    {"NamesOnFile", "Arrow keys or a click fill the chosen person; Enter or a double click also calculates."},
    {"cmdChangeList", "Makes another .FIL file the names file in use."},
    {"cmdEditList", "Opens the names file in use as text."},
    {"cmdCalculate", "Computes both charts and lists them here: transit and natal longitudes, R for retrograde."},
    {"chkP1PlanetsScroll", "The moving planets and points whose aspects are searched.\n"
                           "Arrow keys move through the list, Space ticks."},
    {"chkP2PlanetsScroll", "The natal planets (or, transit to transit, the transiting planets) they aspect.\n"
                           "Arrow keys move through the list, Space ticks."},
    {"optZodiac_0", "Tropical zodiac; the charts are calculated again at once."},
    {"optZodiac_1", "Sidereal zodiac; the charts are calculated again at once."},
    {"optHouseSystem_0", "Placidus houses; the charts are calculated again at once."},
    {"optHouseSystem_1", "Koch houses; the charts are calculated again at once."},
    {"optHouseSystem_2", "Whole-sign houses; the charts are calculated again at once."},
    {"optHouseSystem_3", "Houses of 30 degrees each from the Ascendant; the charts are calculated again at once."},
    {"chkNatal_Transit_0", "Pass 0: transit planets to natal planets, in the aspects ticked."},
    {"chkNatal_Transit_1", "Pass 1: transit planets to transit planets, in the aspects ticked."},
    {"chkIncludeTDeg_to_NDeg",
     "Pass 2: a transit planet conjunct a degree of the degree pairs of the .t2n file (File, Load .t2n file)."},
    {"chkIncludeAuspiciousPoints",
     "Pass 3: transit planets to the auspicious points of the .apt file (File, Load .apt file)."},
    {"chkIncludeLunarMansions",
     "Pass 4: transit planets entering the lunar mansions (nakshatras) of the list\n"
     "(Lists, Set t. planets in lunar mansions)."},
    {"chkInclude_Transit_Midpoints_to_Natal_Planets",
     "Pass 0 also: the transit midpoints of the list (Lists, Set t. mp's to n. planets) to natal planets."},
    {"chkInclude_Transit_Midpoints_to_Transit_Planets",
     "Pass 1 also: the transit midpoints of the list (Lists, Set t. mp's to t. planets) to transit planets."},
    {"chkInclude_Transit_Planets_to_Natal_Midpoints",
     "Pass 5: transit planets to the natal midpoints of the list (Lists, Set natal midpoints)."},
    {"chkInclude_Transit_Midpoints_to_Natal_Midpoints",
     "Pass 6: the transit midpoints of both midpoint lists to the natal midpoints of the list."},
    {"txtDaysToCalculate",
     "Days searched, from local midnight of Person 2's date.\n0 searches that one day from midnight, as 1 does."},
    {"chkEnableTimePeriod", "Searches only from Start Time to End Time of Person 2's date, not whole days."},
    {"txtStartTime", "hh.mm on the 24-hour clock, Person 2's local time (10.30 is half past ten)."},
    {"txtEndTime", "hh.mm on the 24-hour clock; an End Time before the Start Time runs past midnight."},
    {"txtDaysForwardBack", "How many days before and after each exact aspect its start and end are looked for."},
    {"txtMinutesBeforeExact", "Orb before exact, in minutes of arc (60 = 1 degree): the start of each period."},
    {"txtMinutesAfterExact", "Orb after exact, in minutes of arc (60 = 1 degree): the end of each period."},
};

class DisabledReason : public QObject {
 public:
  DisabledReason(QWidget* widget, QString whatItDoes, QString whyGreyed)
      : QObject(widget), widget_(widget), what_(std::move(whatItDoes)), why_(std::move(whyGreyed)) {
    Update();
    widget->installEventFilter(this);
  }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == widget_ && event->type() == QEvent::EnabledChange) Update();
    return false;
  }

 private:
  void Update() { widget_->setToolTip(widget_->isEnabled() ? what_ : why_); }
  QWidget* widget_;
  QString what_, why_;
};

}  // namespace

QString AspectToolTip(const QString& caption) {
  const QString c = caption.trimmed();
  if (c.compare("par", Qt::CaseInsensitive) == 0)
    return c + ": parallel, the two points at the same declination";
  if (c.compare("c.p", Qt::CaseInsensitive) == 0)
    return c + ": contra-parallel, the two points at opposite declinations";
  bool number = false;
  const double angle = c.toDouble(&number);
  if (!number) return c;
  const QString degrees = QString::number(angle) + QChar(0x00B0);
  for (const AspectName& a : kAspectNames)
    if (a.angleDeg == angle) return QString("%1: %2, %3").arg(c, a.name, degrees);
  return QString("%1: an aspect of %2").arg(c, degrees);
}

void SetMainWindowToolTips(QWidget* window) {
  for (const auto& [name, tip] : kTips) {
    QString diurnal = name;
    diurnal.replace("txtBirth", "txt").replace("txt", "txtDiurnal").replace("opt", "optDiurnal");
    for (const QString& objectName : {QString(name), diurnal}) {
      if (auto* w = window->findChild<QWidget*>(objectName)) w->setToolTip(tip);
    }
  }
  // Person 2's buttons are not named by the rule of the fields.
  for (const auto& [one, two] : {std::pair{"cmdAdjTZ", "cmdAdjDiurnalTZ"}, {"cmdSubtractOneHour", "cmdDiurnalSubtractOneHour"},
                                 {"cmdNow", "cmdDiurnalNow"}, {"cmdACS_Atlas", "cmdDiurnalACS_Atlas"},
                                 {"cmdSave", "cmdDiurnalSave"}}) {
    auto* from = window->findChild<QWidget*>(one);
    auto* to = window->findChild<QWidget*>(two);
    if (from && to) to->setToolTip(from->toolTip());
  }
}

void ExplainWhenDisabled(QWidget* widget, const QString& whatItDoes, const QString& whyGreyed) {
  new DisabledReason(widget, whatItDoes, whyGreyed);
}

}  // namespace kesmora::gui
