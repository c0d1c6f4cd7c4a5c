#include "platform/ui/fake/FakeWebView.h"

namespace ikw::ui::fake {

std::shared_ptr<FakeSchemeRequest> FakeWebContext::request(const std::string& scheme, const std::string& url, const std::string& pageUrl)
{
    auto request = std::make_shared<FakeSchemeRequest>(url, pageUrl);
    if (auto it = schemes.find(scheme); it != schemes.end())
        it->second(request);
    return request;
}

void FakeWebView::setLoadHandlers(std::function<void()> finished, std::function<void(const std::string&)> failed)
{
    m_loadFinished = std::move(finished);
    m_loadFailed = std::move(failed);
}

void FakeWebView::evaluate(const std::string& script, std::function<void(ScriptResult)> completion)
{
    evaluated.push_back(script);
    if (completion && holdAnswers)
        heldAnswers.push_back(std::move(completion));
    else if (completion)
        completion(nextResult);
}

void FakeWebView::callAsync(const std::string& body, const Json& arguments, std::function<void(ScriptResult)> completion)
{
    evaluated.push_back(toJson(arguments) + " => " + body);
    if (completion && holdAnswers)
        heldAnswers.push_back(std::move(completion));
    else if (completion)
        completion(answerCall ? answerCall(body, arguments) : nextResult);
}

void FakeWebView::snapshot(std::function<void(std::optional<std::string>, std::string)> completion)
{
    completion(snapshotPng, snapshotPng ? "" : "no image");
}

NavigationPolicy FakeWebView::navigate(const NavigationAction& action)
{
    const auto policy = m_policy ? m_policy(action) : NavigationPolicy::Allow;
    if (policy == NavigationPolicy::Allow && !action.newWindow)
        m_url = action.url;
    return policy;
}

ResponsePolicy FakeWebView::respond(const DocumentResponse& document)
{
    if (m_responsePolicy)
        return m_responsePolicy(document);
    return document.canShow ? ResponsePolicy::Show : ResponsePolicy::Refuse;
}

void FakeWebView::postMessage(const Json& body)
{
    if (m_messageHandler)
        m_messageHandler(body);
}

void FakeWebView::finishLoading()
{
    if (m_loadFinished)
        m_loadFinished();
}

void FakeWebView::failLoading(const std::string& reason)
{
    if (m_loadFailed)
        m_loadFailed(reason);
}

}
