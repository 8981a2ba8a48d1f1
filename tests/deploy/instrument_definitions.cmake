# The instrument build, and only it, compiles in the winch controller's
# address: checked on the definitions each setting of the option gives, as
# text, without building or connecting.
#   cmake -DSOURCE_DIR=... -P instrument_definitions.cmake
include(${SOURCE_DIR}/deploy/instrument.cmake)

zpvw_instrument_definitions(OFF development)
if(NOT development STREQUAL "")
  message(FATAL_ERROR "a development build gets definitions: ${development}")
endif()

zpvw_instrument_definitions(ON instrument)
set(expected "ZPVW_INSTRUMENT_BUILD=1;ZPVW_INSTRUMENT_WINCH=\"192.168.0.158:5000\"")
if(NOT instrument STREQUAL expected)
  message(FATAL_ERROR "the instrument build gets \"${instrument}\", expected \"${expected}\"")
endif()
message(STATUS "development: none; instrument: ${instrument}")
