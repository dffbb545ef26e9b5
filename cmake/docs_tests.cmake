# The English reference: its generated member blocks must match the type
# library's source, and every VBScript and JScript example in the documentation
# must print what the documentation shows, under Wine with this build's
# bitness. The Network page's examples look up only localhost and .invalid
# names, kept off DNS by run_without_dns.sh.
find_program(TARN_PYTHON python3 REQUIRED)
add_test(NAME reference_matches_type_library
         COMMAND ${TARN_PYTHON} ${PROJECT_SOURCE_DIR}/docs/tools/reference_blocks.py --check)
add_test(NAME reference_tools COMMAND ${TARN_PYTHON} -B ${PROJECT_SOURCE_DIR}/docs/tools/reference_tools_test.py)

add_test(NAME doc_examples
         COMMAND ${TARN_WINE_PREFIX_RUN} ${TARN_TEST_SCRIPTS}/run_doc_examples.sh --except Network.md)
add_test(NAME doc_examples_network
         COMMAND ${TARN_WINE_PREFIX_RUN} ${TARN_TEST_SCRIPTS}/run_without_dns.sh ${TARN_TEST_SCRIPTS}/run_doc_examples.sh
                 --only Network.md)
set_tests_properties(doc_examples doc_examples_network PROPERTIES
                     FIXTURES_REQUIRED "wine;registered" RESOURCE_LOCK registry SKIP_RETURN_CODE ${TARN_SKIP} TIMEOUT 900)

# Every link of the pages the release archive ships resolves among the shipped
# files (archive_test.py checks the archive itself the same way).
add_test(NAME shipped_doc_links COMMAND ${TARN_PYTHON} -B ${PROJECT_SOURCE_DIR}/tests/release/doc_links.py ${PROJECT_SOURCE_DIR})
add_test(NAME shipped_doc_links_checker COMMAND ${TARN_PYTHON} -B ${PROJECT_SOURCE_DIR}/tests/release/doc_links.py --self-test)
