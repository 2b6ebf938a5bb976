# Builds the two layering probes; fails unless the allowed one builds and the
# refused one fails on its include.
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target qv_layering_Allowed
  RESULT_VARIABLE allowed OUTPUT_VARIABLE allowed_out ERROR_VARIABLE allowed_out)
if(NOT allowed EQUAL 0)
  message(FATAL_ERROR "An include of a lower folder failed to build:\n${allowed_out}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target qv_layering_Refused
  RESULT_VARIABLE refused OUTPUT_VARIABLE refused_out ERROR_VARIABLE refused_out)
if(refused EQUAL 0)
  message(FATAL_ERROR "An include of a higher folder built; the layering is not enforced")
endif()
if(NOT refused_out MATCHES "data/QV_DataHolder.h")
  message(FATAL_ERROR "The refused probe failed for another reason:\n${refused_out}")
endif()
message(STATUS "layering enforced")
