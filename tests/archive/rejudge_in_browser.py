#!/usr/bin/python3
"""An engineer re-judges a hole in headless Chromium, driven by ChromeDriver.

    rejudge_in_browser.py BASE_URL HOLE_PATH USER PASSWORD THICKNESS REASON SCREENSHOT [EXPECT...]

Signs in through the login form (the hole page sends the browser there
first), fills the hole page's re-judgement form, sends it and waits for the
hole page it is sent back to. Every EXPECT text must then be on that page.
Exit status 0 when all went so; otherwise the reason on stderr.
"""

import sys
import tempfile

from selenium import webdriver
from selenium.common.exceptions import StaleElementReferenceException, WebDriverException
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait


def browser(profile):
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    # No connection anywhere but the server under test.
    for arg in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                "--disable-background-networking", "--disable-component-update", "--disable-sync",
                "--window-size=1200,1600", "--hide-scrollbars", "--user-data-dir=" + profile):
        options.add_argument(arg)
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    driver.set_page_load_timeout(30)
    return driver


def main(argv):
    if len(argv) < 8:
        print(__doc__, file=sys.stderr)
        return 2
    base, hole_path, user, password, thickness, reason, screenshot = argv[1:8]
    expected = argv[8:]
    with tempfile.TemporaryDirectory() as profile:
        driver = browser(profile)
        try:
            # A page being replaced by the next one leaves elements stale:
            # the wait asks again.
            wait = WebDriverWait(driver, 20, ignored_exceptions=[StaleElementReferenceException])
            driver.get(base + hole_path)
            # Not signed in: the login form, which returns to the hole page.
            wait.until(lambda d: d.find_elements(By.CSS_SELECTOR, "form.login"))
            driver.find_element(By.NAME, "name").send_keys(user)
            driver.find_element(By.NAME, "password").send_keys(password)
            driver.find_element(By.CSS_SELECTOR, "form.login button[type=submit]").click()
            wait.until(lambda d: d.find_elements(By.CSS_SELECTOR, "form[action='/rejudge']"))
            form = driver.find_element(By.CSS_SELECTOR, "form[action='/rejudge']")
            field = form.find_element(By.NAME, "thickness")
            field.clear()
            field.send_keys(thickness)
            form.find_element(By.NAME, "reason").send_keys(reason)
            form.find_element(By.CSS_SELECTOR, "button[type=submit]").click()
            # Back on the hole page, which now names the re-judgement.
            wait.until(lambda d: reason in d.find_element(By.TAG_NAME, "body").text)
            text = driver.find_element(By.TAG_NAME, "body").text
            driver.save_screenshot(screenshot)
            missing = [e for e in expected if e not in text]
            if missing:
                print("not on the page: %s\n--- page:\n%s" % (missing, text[:3000]), file=sys.stderr)
                return 1
            return 0
        except WebDriverException as e:
            print("browser: %s\n--- page:\n%s" % (e, driver.page_source[:3000]), file=sys.stderr)
            driver.save_screenshot(screenshot)
            return 1
        finally:
            driver.quit()


if __name__ == "__main__":
    sys.exit(main(sys.argv))
