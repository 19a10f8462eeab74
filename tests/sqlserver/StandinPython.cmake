# The Python interpreter that runs the SQL Server stand-in: TABULEX_STANDIN_PYTHON.
# Launchers such as pyenv shims cost a second per start; the interpreter they lead to does not.
if(NOT DEFINED TABULEX_STANDIN_PYTHON)
  find_package(Python3 3.11 REQUIRED COMPONENTS Interpreter)
  execute_process(COMMAND ${Python3_EXECUTABLE} -c "import sys; print(sys.executable)"
                  OUTPUT_VARIABLE resolved OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE rc)
  if(rc EQUAL 0 AND EXISTS "${resolved}")
    set(TABULEX_STANDIN_PYTHON "${resolved}" CACHE FILEPATH "Python 3.11+ for the SQL Server stand-in")
  else()
    set(TABULEX_STANDIN_PYTHON "${Python3_EXECUTABLE}" CACHE FILEPATH "Python 3.11+ for the SQL Server stand-in")
  endif()
endif()
