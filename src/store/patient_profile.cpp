#include "store/patient_profile.h"

namespace meridane {

const std::array<const char*, 11> kInsulinList{"Glargine", "Lente",      "NPH",      "Premixed",
                                               "Rapid",    "Regular",    "Ultralente", "Custom 1",
                                               "Custom 2", "Custom 3",   "Custom 4"};
const std::array<const char*, 21> kOralList{
    "Glyburide",     "Metformin",     "Metformin/ Glyburide", "Miglitol",     "Nateglinide",
    "Pioglitazone",  "Repaglinide",   "Rosiglitazone",        "Tolazamide",   "Tolbutamide",
    "Acarbose",      "Chlorpropamide", "Glibenclamide",       "Gliclazide",   "Glimepiride",
    "Glipizide",     "Gliquidon",     "Custom 1",             "Custom 2",     "Custom 3",
    "Custom 4"};
const std::array<TextId, 9> kComplicationList{
    TextId{"Label", "Cardiovascular", "Cardiovascular"},
    TextId{"Label", "Cerebrovascular", "Cerebrovascular"},
    TextId{"Label", "Foot Infections", "Foot Infections"},
    TextId{"Label", "High Blood Pressure", "High Blood Pressure"},
    TextId{"Label", "High Choles terol", "High Choles terol"},
    TextId{"Label", "Nephrpathy", "Nephrpathy"},
    TextId{"Label", "Neuropathy", "Neuropathy"},
    TextId{"Label", "Peripheral Vascular", "Peripheral Vascular"},
    TextId{"Label", "Retinopathy", "Retinopathy"}};

Regimens::Regimens() {
  for (int i = 0; i < 5; ++i) {
    regimen[i].name = "Regimen" + std::to_string(i + 1);
    regimen[i].date = Today();
  }
}

HealthRecord::HealthRecord() : yearDiagnosed(Today()) {}

Inquiry::Inquiry() : inquiryDate(Today()) {}

void CPatientProfile::Clear() { *this = CPatientProfile(); }

}  // namespace meridane
