# The options dialog's and the help viewer's portable rules.
tessory_add_core_test(tessory_options_core_tests options/options_rules_test.cpp)
