"""Configure-time check of the server addresses: a release build refuses a plain-HTTP download
address outside loopback unless opted in; the configuration and report addresses only warn."""
import os
import subprocess
import sys
import unittest

CHECK = os.path.join(os.path.dirname(os.path.abspath(__file__)), "check_server_addresses.cmake")
CMAKE = os.environ.get("CMAKE_COMMAND", "cmake")
LOOPBACK = "http://127.0.0.1:18080"


def configure(build_type, download, config=LOOPBACK, report=LOOPBACK, allow=None, configuration_types=None):
    args = [CMAKE, "-DCMAKE_BUILD_TYPE=" + build_type, "-DTOLVAN_DOWNLOAD_URL=" + download,
            "-DTOLVAN_CONFIG_URL=" + config, "-DTOLVAN_REPORT_URL=" + report]
    if configuration_types is not None:
        args.append("-DCMAKE_CONFIGURATION_TYPES=" + configuration_types)
    if allow is not None:
        args.append("-DTOLVAN_ALLOW_PLAIN_HTTP_DOWNLOAD=" + allow)
    done = subprocess.run(args + ["-P", CHECK], capture_output=True, text=True, timeout=60)
    # CMake wraps its messages: compare with the line breaks folded away.
    return done.returncode, " ".join((done.stdout + done.stderr).split())


class DownloadAddress(unittest.TestCase):
    def test_release_refuses_plain_http_to_a_remote_server_with_a_clear_message(self):
        for url in ("http://download.example/client", "HTTP://10.0.0.8/", "http://user@cdn.example:8080/x",
                    "http://127.example/"):
            code, output = configure("Release", url)
            self.assertNotEqual(code, 0, url)
            self.assertIn("plain http://", output)
            self.assertIn("TOLVAN_ALLOW_PLAIN_HTTP_DOWNLOAD", output)

    def test_the_opt_in_and_https_and_loopback_pass(self):
        for url, allow in (("http://download.example/", "ON"), ("https://download.example/", None),
                           ("http://127.0.0.1:18080/", None), ("http://localhost/", None), ("http://[::1]:80/", None)):
            code, output = configure("Release", url, allow=allow)
            self.assertEqual(code, 0, url + "\n" + output)
            self.assertNotIn("Warning", output)

    def test_release_is_found_in_any_spelling_and_in_every_configuration_a_generator_builds(self):
        for build_type, types in (("release", None), ("RELEASE", None), ("minsizerel", None),
                                  ("RelWithDebInfo", None), ("", "Debug;Release"), ("", "Debug;relwithdebinfo"),
                                  ("Debug", "Debug;MINSIZEREL")):
            code, output = configure(build_type, "http://download.example/", configuration_types=types)
            self.assertNotEqual(code, 0, (build_type, types))
            self.assertIn("plain http://", output)

    def test_other_build_types_are_not_release_builds(self):
        for build_type, types in (("Debug", None), ("", None), ("ReleaseNot", None), ("", "Debug;Coverage")):
            code, output = configure(build_type, "http://download.example/", configuration_types=types)
            self.assertEqual(code, 0, (build_type, types, output))

    def test_an_address_that_is_not_http_is_refused(self):
        for url in ("ftp://download.example/", "download.example/", "https:///nohost"):
            code, _ = configure("Debug", url)
            self.assertNotEqual(code, 0, url)


class OtherAddresses(unittest.TestCase):
    def test_plain_http_configuration_and_report_addresses_only_warn(self):
        code, output = configure("Release", "https://download.example/", config="http://config.example",
                                 report="http://report.example")
        self.assertEqual(code, 0, output)
        self.assertIn("TOLVAN_CONFIG_URL 'http://config.example' is plain http://", output)
        self.assertIn("TOLVAN_REPORT_URL 'http://report.example' is plain http://", output)

    def test_https_and_loopback_do_not_warn(self):
        code, output = configure("Release", "https://d.example/", config="https://config.example",
                                 report="http://127.0.0.1:18080")
        self.assertEqual(code, 0)
        self.assertNotIn("Warning", output)


if __name__ == "__main__":
    sys.exit(unittest.main())
