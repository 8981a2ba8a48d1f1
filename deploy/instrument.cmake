# What only the instrument build compiles in (option ZPVW_INSTRUMENT_BUILD,
# off by default): the winch controller's address on the instrument network
# and, through ZPVW_INSTRUMENT_BUILD, the real USB disk (/dev/sda1 mounted at
# /mnt). A development build holds no private-network address at all: its
# winch link uses 127.0.0.1:5000 (where zpvw-winchsim listens) and its export
# writes into a folder.
set(ZPVW_INSTRUMENT_WINCH "192.168.0.158:5000")

# Compile definitions of a build: the instrument's when `instrument` is true,
# none otherwise.
function(zpvw_instrument_definitions instrument out)
  if(instrument)
    set(${out} "ZPVW_INSTRUMENT_BUILD=1;ZPVW_INSTRUMENT_WINCH=\"${ZPVW_INSTRUMENT_WINCH}\"" PARENT_SCOPE)
  else()
    set(${out} "" PARENT_SCOPE)
  endif()
endfunction()
