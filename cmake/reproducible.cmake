# One version for the program's version resource and the package, and an image that does not
# depend on where or when it was built.

# Two checkouts of the same commit in different folders must give byte-identical programs: no
# source or build folder in the image (__FILE__, debug paths) and no link time stamp in the PE
# header. The skin archive's entry times are fixed where it is packed (updater/CMakeLists.txt).
add_compile_options($<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=>
                    $<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PROJECT_BINARY_DIR}/=build/>)
add_link_options(-Wl,--no-insert-timestamp)

# The version resource reads the version from this generated header, so the project() line
# stays the one place to change it, and the vendor's names from the cache (CMakeLists.txt), as
# resource-script strings: a quote is doubled, a backslash escaped.
set(UPDATER_GENERATED_DIR ${PROJECT_BINARY_DIR}/generated)
foreach(field COMPANY_NAME PRODUCT_NAME FILE_DESCRIPTION COPYRIGHT)
  string(REPLACE "\\" "\\\\" text "${UPDATER_${field}}")
  string(REPLACE "\"" "\"\"" text "${text}")
  set(UPDATER_${field}_RC "${text}")
endforeach()
configure_file(${PROJECT_SOURCE_DIR}/resources/version.h.in ${UPDATER_GENERATED_DIR}/updater_version.h @ONLY)
