#include "meter/link_result.h"

namespace meridane {

const char* LinkResultName(LinkResult r) {
  switch (r) {
    case LINK_OK:
      return "LINK_OK";
    case LINK_NOT_FOUND:
      return "LINK_NOT_FOUND";
    case ERROR_INVALID_DATA:
      return "ERROR_INVALID_DATA";
    case ERROR_DEVICE_NOT_CONNECTED:
      return "ERROR_DEVICE_NOT_CONNECTED";
    case LINK_WRITE_FAILED:
      return "LINK_WRITE_FAILED";
    case LINK_BAD_SERIAL:
      return "LINK_BAD_SERIAL";
    case LINK_NOT_CLINIC_METER:
      return "LINK_NOT_CLINIC_METER";
    case LINK_CLINIC_METER:
      return "LINK_CLINIC_METER";
    case LINK_TIMEOUT:
      return "LINK_TIMEOUT";
    case LINK_NOT_SUPPORTED:
      return "LINK_NOT_SUPPORTED";
    case LINK_NO_RECORDS:
      return "LINK_NO_RECORDS";
    case LINK_READ_FAILED:
      return "LINK_READ_FAILED";
    case LINK_CANCELLED:
      return "LINK_CANCELLED";
    case LINK_DEVICE_GONE:
      return "LINK_DEVICE_GONE";
    default:
      return "LINK_UNKNOWN";
  }
}

}  // namespace meridane
