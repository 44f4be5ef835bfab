#include "store/columns.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include <sqlcipher/sqlite3.h>

#include "store/database.h"

namespace meridane {

namespace {

std::string Printf(const char* fmt, double v) {
  char buf[400];
  std::snprintf(buf, sizeof buf, fmt, v);
  return buf;
}

// What sscanf("%d") takes: leading blanks, a sign, digits; the rest is ignored.
bool ParseInt(std::string_view text, int& out) {
  // Plain integers, the stored form of every count and code, need no copy.
  if (!text.empty() && text.size() < 11) {
    const char* b = text.data();
    const char* e = b + text.size();
    if (*b == '-' && text.size() > 1) ++b;
    bool digits = true;
    for (const char* p = b; p != e; ++p) digits = digits && *p >= '0' && *p <= '9';
    if (digits) {
      long long v = 0;
      for (const char* p = b; p != e; ++p) v = v * 10 + (*p - '0');
      if (b != text.data()) v = -v;
      if (v <= std::numeric_limits<int>::max() && v >= std::numeric_limits<int>::min()) {
        out = static_cast<int>(v);
        return true;
      }
    }
  }
  std::string s(text);
  const char* p = s.c_str();
  char* end = nullptr;
  errno = 0;
  long long v = std::strtoll(p, &end, 10);
  if (end == p) {
    // A real stored in an integer column ("5.0") still reads as its whole part.
    double d = std::strtod(p, &end);
    if (end == p || !std::isfinite(d)) return false;
    v = static_cast<long long>(d);
  }
  if (errno == ERANGE || v > std::numeric_limits<int>::max() ||
      v < std::numeric_limits<int>::min())
    return false;
  out = static_cast<int>(v);
  return true;
}

bool ParseReal(std::string_view text, double& out) {
  std::string s(text);
  const char* p = s.c_str();
  char* end = nullptr;
  double v = std::strtod(p, &end);
  if (end == p || !std::isfinite(v)) return false;
  out = v;
  return true;
}

bool IsFlagTrue(std::string_view text) { return text != "0"; }

}  // namespace

std::string ColumnText(const ColumnRef& c) {
  return std::visit(Overload{
                        [](int* v) { return std::to_string(*v); },
                        [](double* v) { return Printf("%f", *v); },
                        [](std::string* v) { return *v; },
                        [](bool* v) { return std::string(*v ? "1" : "0"); },
                        [](Date* v) { return FormatDate(*v); },
                        [](TimeOfDay* v) { return FormatTimeOfDay(*v); },
                    },
                    c.field);
}

void BindColumn(Statement& st, int index, const ColumnRef& c) {
  std::visit(Overload{
                 [&](int* v) { st.BindInt(index, *v); },
                 [&](double* v) {
                   // '%f' keeps six decimals: only a whole number is sure to come back
                   // from it as the same double.
                   if (std::isfinite(*v) && *v == std::trunc(*v) && std::fabs(*v) < 1e15)
                     st.BindDouble(index, *v);
                   else
                     st.Bind(index, Printf("%f", *v));
                 },
                 [&](std::string* v) { st.Bind(index, *v); },
                 [&](bool* v) { st.BindInt(index, *v ? 1 : 0); },
                 [&](Date* v) { st.Bind(index, FormatDate(*v)); },
                 [&](TimeOfDay* v) { st.Bind(index, FormatTimeOfDay(*v)); },
             },
             c.field);
}

void BindColumns(Statement& st, int first, const std::vector<ColumnRef>& cols) {
  for (const ColumnRef& c : cols) BindColumn(st, first++, c);
}

bool ReadColumnText(const ColumnRef& c, std::string_view text, bool isNull) {
  if (isNull) return false;
  return std::visit(Overload{
                        [&](int* v) {
                          if (c.intFlag) {
                            *v = IsFlagTrue(text) ? 1 : 0;
                            return true;
                          }
                          return ParseInt(text, *v);
                        },
                        [&](double* v) { return ParseReal(text, *v); },
                        [&](std::string* v) {
                          *v = std::string(text);
                          return true;
                        },
                        [&](bool* v) {
                          *v = IsFlagTrue(text);
                          return true;
                        },
                        [&](Date* v) {
                          auto d = ParseDate(text);
                          if (!d || !IsValidDate(*d)) return false;
                          *v = *d;
                          return true;
                        },
                        [&](TimeOfDay* v) {
                          auto t = ParseTimeOfDay(text);
                          if (!t || !IsValidTime(*t))
                            return false;
                          *v = *t;
                          return true;
                        },
                    },
                    c.field);
}

bool ReadColumn(const ColumnRef& c, const Statement& row, int col) {
  const int type = row.Type(col);
  if (type == SQLITE_NULL) return false;
  if (type == SQLITE_INTEGER) {
    // Same values the text would give ("0" is the only false flag), without the
    // number-to-text conversion.
    const int64_t v = row.Int(col);
    if (int* const* i = std::get_if<int*>(&c.field);
        i && v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max()) {
      **i = c.intFlag ? (v != 0) : static_cast<int>(v);
      return true;
    }
    if (bool* const* b = std::get_if<bool*>(&c.field)) {
      **b = v != 0;
      return true;
    }
    if (double* const* d = std::get_if<double*>(&c.field)) {
      **d = static_cast<double>(v);
      return true;
    }
  } else if (type == SQLITE_FLOAT) {
    if (double* const* d = std::get_if<double*>(&c.field)) {
      const double v = row.Double(col);
      if (!std::isfinite(v)) return false;
      **d = v;
      return true;
    }
  }
  return ReadColumnText(c, row.TextView(col));
}

void ReadColumns(const std::vector<ColumnRef>& cols, const Statement& row, int first) {
  const int n = row.ColumnCount();
  for (size_t i = 0; i < cols.size(); ++i) {
    const int col = first + static_cast<int>(i);
    if (col >= n) break;  // a table with fewer columns keeps the rest at defaults
    ReadColumn(cols[i], row, col);
  }
}

bool ColumnHolds(const Statement& row, int col, const ColumnRef& c) {
  // One look-up of the value serves both its type and its content.
  sqlite3_value* v = row.ok() ? sqlite3_column_value(row.handle(), col) : nullptr;
  if (!v) return false;
  const int type = sqlite3_value_type(v);
  return std::visit(
      Overload{
          [&](int* f) { return type == SQLITE_INTEGER && sqlite3_value_int64(v) == *f; },
          [&](double* f) {
            return (type == SQLITE_INTEGER || type == SQLITE_FLOAT) && sqlite3_value_double(v) == *f;
          },
          [&](std::string* f) {
            if (type != SQLITE_TEXT) return false;
            const char* text = reinterpret_cast<const char*>(sqlite3_value_text(v));
            return std::string_view(text, static_cast<size_t>(sqlite3_value_bytes(v))) == *f;
          },
          [](auto*) { return false; },
      },
      c.field);
}

std::vector<ColumnRef> PatientColumns(CPatientProfile& p) {
  return {{"fullName", &p.fullName},
          {"IDNo", &p.IDNo},
          {"medicalNo", &p.medicalNo},
          {"birth", &p.birth},
          {"phone", &p.phone},
          {"address", &p.address},
          {"gender", &p.gender, true},
          {"email", &p.email},
          {"meterSN", &p.meterSN},
          {"timeUnit", &p.timeUnit},
          {"scheduleEnable", &p.scheduleEnable},
          {"workEnable", &p.workEnable},
          {"mealEnable", &p.mealEnable},
          {"medicationEnable", &p.medicationEnable},
          {"regimenEnable", &p.regimenEnable},
          {"complicationsEnable", &p.complicationsEnable},
          {"healthRecordEnable", &p.healthRecordEnable},
          {"inquiryEnable", &p.inquiryEnable}};
}

namespace {

void AddBlocks(std::vector<ColumnRef>& cols, Schedule& s) {
  static const char* const kNames[] = {"preMealA", "postMealA", "preMealB", "postMealB",
                                       "preMealC", "postMealC", "night"};
  for (int i = 0; i < 7; ++i) cols.push_back({kNames[i], &s.start[i]});
}

// Column names of the Regimen table, built once: "r1Name", "r1Date", "r1M1U1", …
const std::vector<std::string>& RegimenNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> v;
    static const char* const kSlots[] = {"M1", "M2", "M3", "Night"};
    for (int n = 1; n <= 5; ++n) {
      // Built by appending: GCC 12 at -O3 warns falsely (-Wrestrict) on "r" + std::string.
      std::string r = "r";
      r += std::to_string(n);
      v.push_back(r + "Name");
      v.push_back(r + "Date");
      for (const char* s : kSlots)
        for (char d : {'1', '2'}) {
          std::string slot = r;
          slot += s;
          v.push_back(slot + 'U' + d);
          v.push_back(slot + 'T' + d);
        }
    }
    return v;
  }();
  return names;
}

}  // namespace

std::vector<ColumnRef> SectionColumns(CPatientProfile& p, SectionBit s) {
  std::vector<ColumnRef> c;
  switch (s) {
    case kSectionWorking:
      AddBlocks(c, p.working);
      break;
    case kSectionNonWorking:
      c.push_back({"nonWorkingDay", &p.nonWorking.nonWorkingDay});
      AddBlocks(c, p.nonWorking.blocks);
      break;
    case kSectionMedications: {
      Medications& m = p.medications;
      c = {{"insulin", &m.insulin},
           {"oral", &m.oral},
           {"insulinPump", &m.insulinPump},
           {"dietExercise", &m.dietExercise}};
      static const char* const kNames[] = {"insulin1", "insulin2", "insulin3", "insulin4",
                                           "oral1",    "oral2",    "oral3",    "oral4"};
      static const char* const kChecks[] = {"insulin1Check", "insulin2Check", "insulin3Check",
                                            "insulin4Check", "oral1Check",    "oral2Check",
                                            "oral3Check",    "oral4Check"};
      for (int i = 0; i < 4; ++i) c.push_back({kNames[i], &m.insulinName[i]});
      for (int i = 0; i < 4; ++i) c.push_back({kNames[4 + i], &m.oralName[i]});
      for (int i = 0; i < 4; ++i) c.push_back({kChecks[i], &m.insulinCheck[i]});
      for (int i = 0; i < 4; ++i) c.push_back({kChecks[4 + i], &m.oralCheck[i]});
      break;
    }
    case kSectionRegimens: {
      const auto& names = RegimenNames();
      c.push_back({"activeRegimen", &p.regimens.activeRegimen});
      size_t k = 0;
      for (Regimen& r : p.regimens.regimen) {
        c.push_back({names[k++].c_str(), &r.name});
        c.push_back({names[k++].c_str(), &r.date});
        for (RegimenDose& d : r.doses) {
          c.push_back({names[k++].c_str(), &d.units});
          c.push_back({names[k++].c_str(), &d.type});
        }
      }
      break;
    }
    case kSectionComplications:
      c = {{"complications", &p.complications.complications},
           {"other", &p.complications.other},
           {"otherCheck", &p.complications.otherCheck}};
      break;
    case kSectionHealthRecord: {
      HealthRecord& h = p.healthRecord;
      c = {{"diabetesType", &h.diabetesType},   {"yearDiagnosed", &h.yearDiagnosed},
           {"hight", &h.hight},                 {"weight", &h.weight},
           {"hightUnit", &h.hightUnit},         {"weightUnit", &h.weightUnit},
           {"preMealHigh", &h.preMealHigh},     {"preMealLow", &h.preMealLow},
           {"postMealHigh", &h.postMealHigh},   {"postMealLow", &h.postMealLow},
           {"glucoUnit", &h.glucoUnit},         {"ketnotes", &h.ketnotes},
           {"microalbumin", &h.microalbumin},   {"hbA1C", &h.hbA1C},
           {"bloodPressureA", &h.bloodPressureA}, {"bloodPressureB", &h.bloodPressureB},
           {"cholesterol", &h.cholesterol},     {"LDL", &h.LDL},
           {"HDL", &h.HDL},                     {"hypoglycemic", &h.hypoglycemic}};
      break;
    }
    case kSectionInquiry:
      c = {{"inquiryDate", &p.inquiry.inquiryDate},
           {"comment", &p.inquiry.comment},
           {"note", &p.inquiry.note},
           {"special", &p.inquiry.special}};
      break;
  }
  return c;
}

const char* SectionTable(SectionBit s) {
  switch (s) {
    case kSectionWorking: return "WorkingDateSchedule";
    case kSectionNonWorking: return "NonWorkingDateSchedule";
    case kSectionMedications: return "Medications";
    case kSectionRegimens: return "Regimen";
    case kSectionComplications: return "Complications";
    case kSectionHealthRecord: return "HealthRecord";
    case kSectionInquiry: return "Inquiry";
  }
  return "";
}

bool& SectionFlag(CPatientProfile& p, SectionBit s) {
  switch (s) {
    case kSectionWorking: return p.scheduleEnable;
    case kSectionNonWorking: return p.workEnable;
    case kSectionMedications: return p.medicationEnable;
    case kSectionRegimens: return p.regimenEnable;
    case kSectionComplications: return p.complicationsEnable;
    case kSectionHealthRecord: return p.healthRecordEnable;
    case kSectionInquiry: return p.inquiryEnable;
  }
  return p.inquiryEnable;
}

bool SectionEquals(const CPatientProfile& a, const CPatientProfile& b, SectionBit s) {
  switch (s) {
    case kSectionWorking: return a.working == b.working;
    case kSectionNonWorking: return a.nonWorking == b.nonWorking;
    case kSectionMedications: return a.medications == b.medications;
    case kSectionRegimens: return a.regimens == b.regimens;
    case kSectionComplications: return a.complications == b.complications;
    case kSectionHealthRecord: return a.healthRecord == b.healthRecord;
    case kSectionInquiry: return a.inquiry == b.inquiry;
  }
  return true;
}

void CopySection(CPatientProfile& to, const CPatientProfile& from, SectionBit s) {
  switch (s) {
    case kSectionWorking: to.working = from.working; break;
    case kSectionNonWorking: to.nonWorking = from.nonWorking; break;
    case kSectionMedications: to.medications = from.medications; break;
    case kSectionRegimens: to.regimens = from.regimens; break;
    case kSectionComplications: to.complications = from.complications; break;
    case kSectionHealthRecord: to.healthRecord = from.healthRecord; break;
    case kSectionInquiry: to.inquiry = from.inquiry; break;
  }
}

std::vector<ColumnRef> DetailColumns(GlucoDetailRecord& d) {
  return {{"type", &d.type},
          {"slot", &d.slot},
          {"commentOptions", &d.commentOptions},
          {"commentOptionsFood", &d.commentOptionsFood},
          {"commentOptionsExercise", &d.commentOptionsExercise},
          {"commentOptionsType", &d.commentOptionsType},
          {"insulinType", &d.insulinType},
          {"insulin", &d.insulin},
          {"insulinAmount", &d.insulinAmount},
          {"oral", &d.oral},
          {"oralAmount", &d.oralAmount},
          {"exerciseHour", &d.exerciseHour},
          {"exerciseMinute", &d.exerciseMinute},
          {"intensity", &d.intensity},
          {"carbs", &d.carbs},
          {"fats", &d.fats},
          {"carlories", &d.carlories},
          {"proteins", &d.proteins},
          {"comment", &d.comment},
          {"commentIns", &d.commentIns},
          {"commentOra", &d.commentOra},
          {"commentExe", &d.commentExe},
          {"commentFoo", &d.commentFoo}};
}

}  // namespace meridane
