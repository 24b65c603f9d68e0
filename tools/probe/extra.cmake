# The model subcommand prints its report with nlohmann/json.
find_package(nlohmann_json REQUIRED)
target_link_libraries(orbit-patrol-inspect PRIVATE nlohmann_json::nlohmann_json)
