#pragma once
// Captions that carry modes. They are compared as whole strings; every blank matters.
#include <string>

namespace sorvant {

inline const std::string kAcquireOn = "A:ACQUIRE    ( ON )";
inline const std::string kAcquireOff = "A:ACQUIRE  ( OFF )";
inline const std::string kTestOn = "T:TEST             ( ON )";
inline const std::string kTestOff = "T:TEST             ( OFF )";
inline const std::string kDecayOn = "D:DECAY         ( ON )";
inline const std::string kDecayOff = "D:DECAY        ( OFF )";
inline const std::string kVarOn = "V:VAR           ON";
inline const std::string kVarOff = "V:VAR          OFF";
inline const std::string kSourceTest = "SOURCE : TEST";
inline const std::string kSourceDf = "SOURCE :   DF";
inline const std::string kHeadingManual = "MANUAL";
inline const std::string kHeadingGps = "GPS";
inline const std::string kTotalTimeZero = "TOTAL TIME : 0000";
inline const std::string kTotalBrgZero = "TOTAL BRG : 0000";
inline const std::string kLastBrgZero = "LAST BRG : 000";

// "LAST BRG : 045" for a bearing (also for a fractional one, digit by digit as the text falls).
std::string lastBrgCaption(double bearing);
// "TOTAL BRG : 0042", and from 1000 on "TOTAL BRG :  1000".
std::string totalBrgCaption(double count);
// "TOTAL TIME : 0042" from the acquisition time, truncated to whole seconds.
std::string totalTimeCaption(float acqtime);

}  // namespace sorvant
